// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/fire_pixels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "flame/fast/fast_flame.h"

namespace {

// Read as a little-endian 32-bit word, an RGBA pixel is A B G R from the top byte down and a
// host pixel B G R A: one is the other turned by a byte.
inline uint32_t HostWord(uint32_t rgba) { return (rgba << 8) | (rgba >> 24); }

void HostPixelsFromRgba(const uint8_t* rgba, int32_t count, FlamePixel* into) {
  uint8_t* out = reinterpret_cast<uint8_t*>(into);
  int32_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                     _mm_or_si128(_mm_slli_epi32(four, 8), _mm_srli_epi32(four, 24)));
  }
#endif
  for (; i < count; ++i) {
    uint32_t word;
    std::memcpy(&word, rgba + 4 * i, 4);
    word = HostWord(word);
    std::memcpy(out + 4 * i, &word, 4);
  }
}

void ReadRow(const void* context, int32_t y, FlamePixel* into) {
  ReadSourceRow(*static_cast<const ConstPixelView*>(context), y, into);
}

// A host pixel as four bytes in `layout`'s order.
uint32_t WordIn(PixelLayout layout, const FlamePixel& pixel) {
  const uint8_t bytes[4] = {pixel.red, pixel.green, pixel.blue, pixel.alpha};
  uint32_t word;
  if (layout == PixelLayout::kHostArgb) {
    std::memcpy(&word, &pixel, 4);
  } else {
    std::memcpy(&word, bytes, 4);
  }
  return word;
}

}  // namespace

void ReadSourceRow(const ConstPixelView& source, int32_t y, FlamePixel* into) {
  const uint8_t* row = source.Row(y);
  switch (source.layout) {
    case PixelLayout::kHostArgb:
      std::memcpy(into, row, static_cast<size_t>(source.width) * 4);
      return;
    case PixelLayout::kRgba:
      HostPixelsFromRgba(row, source.width, into);
      return;
  }
}

FlameSourceImage SourceImageOf(const ConstPixelView& source, FlamePixel* rowBuffer) {
  FlameSourceImage image{nullptr, 0, 0, 0};
  if (source.Empty()) return image;  // no source layer: nothing feeds the fire
  image.width = source.width;
  image.height = source.height;
  if (source.layout == PixelLayout::kHostArgb && source.rowBytes % 4 == 0 &&
      reinterpret_cast<uintptr_t>(source.top) % alignof(FlamePixel) == 0) {
    image.pixels = reinterpret_cast<const FlamePixel*>(source.top);
    image.stride = static_cast<int32_t>(source.rowBytes / 4);
    return image;
  }
  image.readRow = ReadRow;
  image.rowContext = &source;
  image.rowBuffer = rowBuffer;
  return image;
}

void ColourHeatInto(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const PixelView& output) {
  if (output.Empty()) return;
  uint32_t finished[256];
  for (int h = 0; h < 256; ++h) finished[h] = WordIn(output.layout, colours[h]);
  std::memset(output.Row(0), 0, static_cast<size_t>(output.width) * 4);
  FastColourRows(field, stride, output.width, output.height, finished, output.top,
                 output.rowBytes);
}
