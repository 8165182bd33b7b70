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

// Returns the alphas of the pixels ANDed together (0xFF: every one opaque).
uint8_t HostPixelsFromRgba(const uint8_t* rgba, int32_t count, FlamePixel* into) {
  uint8_t* out = reinterpret_cast<uint8_t*>(into);
  uint32_t all = 0xFFFFFFFF;
  int32_t i = 0;
#if defined(__SSE2__)
  __m128i allFour = _mm_set1_epi32(-1);
  for (; i + 4 <= count; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 4 * i));
    allFour = _mm_and_si128(allFour, four);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                     _mm_or_si128(_mm_slli_epi32(four, 8), _mm_srli_epi32(four, 24)));
  }
  allFour = _mm_and_si128(allFour, _mm_srli_si128(allFour, 8));
  allFour = _mm_and_si128(allFour, _mm_srli_si128(allFour, 4));
  all = static_cast<uint32_t>(_mm_cvtsi128_si32(allFour));
#endif
  for (; i < count; ++i) {
    uint32_t word;
    std::memcpy(&word, rgba + 4 * i, 4);
    all &= word;
    word = HostWord(word);
    std::memcpy(out + 4 * i, &word, 4);
  }
  return static_cast<uint8_t>(all >> 24);
}

// Premultiplied RGBA to straight host pixels: each colour round(c × 255 / a), at most 255, and
// transparent black where a is 0. Runs of opaque pixels are only turned, as straight RGBA is;
// a run with any other alpha is gone over again.
void HostPixelsFromPremultiplied(const uint8_t* rgba, int32_t count, FlamePixel* into) {
  constexpr int32_t kRun = 64;
  for (int32_t start = 0; start < count; start += kRun) {
    const int32_t end = count - start < kRun ? count : start + kRun;
    if (HostPixelsFromRgba(rgba + 4 * start, end - start, into + start) == 0xFF) continue;
    for (int32_t i = start; i < end; ++i) {
      const uint8_t* p = rgba + 4 * i;
      const uint32_t a = p[3];
      if (a == 255) continue;
      uint8_t c[3] = {0, 0, 0};
      for (int k = 0; a != 0 && k < 3; ++k) {
        const uint32_t straight = (p[k] * 255u + a / 2) / a;
        c[k] = static_cast<uint8_t>(straight < 255 ? straight : 255);
      }
      into[i] = FlamePixel{static_cast<uint8_t>(a), c[0], c[1], c[2]};
    }
  }
}

void ReadRow(const void* context, int32_t y, FlamePixel* into) {
  ReadSourceRow(*static_cast<const ConstPixelView*>(context), y, into);
}

// round(v / 255) for v up to 255 × 255.
inline uint8_t DivideBy255(uint32_t v) { return static_cast<uint8_t>((v + 127) / 255); }

// A host pixel as four bytes in `layout`'s order.
uint32_t WordIn(PixelLayout layout, const FlamePixel& pixel) {
  uint8_t bytes[4] = {pixel.red, pixel.green, pixel.blue, pixel.alpha};
  uint32_t word;
  switch (layout) {
    case PixelLayout::kHostArgb:
      std::memcpy(&word, &pixel, 4);
      return word;
    case PixelLayout::kRgba:
      break;
    case PixelLayout::kRgbaPremultiplied:
      for (int c = 0; c < 3; ++c) bytes[c] = DivideBy255(bytes[c] * uint32_t{pixel.alpha});
      break;
  }
  std::memcpy(&word, bytes, 4);
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
    case PixelLayout::kRgbaPremultiplied:
      HostPixelsFromPremultiplied(row, source.width, into);
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
