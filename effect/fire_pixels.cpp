// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/fire_pixels.h"

#include <cstring>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
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

// One premultiplied pixel with alpha below 255 straightened: each colour round(c × 255 / a),
// at most 255, and transparent black where a is 0.
inline FlamePixel Straightened(const uint8_t* p) {
  const uint32_t a = p[3];
  uint8_t c[3] = {0, 0, 0};
  for (int k = 0; a != 0 && k < 3; ++k) {
    const uint32_t straight = (p[k] * 255u + a / 2) / a;
    c[k] = static_cast<uint8_t>(straight < 255 ? straight : 255);
  }
  return FlamePixel{static_cast<uint8_t>(a), c[0], c[1], c[2]};
}

// Premultiplied RGBA to straight host pixels. Runs of opaque pixels are only turned, as
// straight RGBA is; a run with any other alpha is gone over again.
void HostPixelsFromPremultiplied(const uint8_t* rgba, int32_t count, FlamePixel* into) {
  constexpr int32_t kRun = 64;
  for (int32_t start = 0; start < count; start += kRun) {
    const int32_t end = count - start < kRun ? count : start + kRun;
    if (HostPixelsFromRgba(rgba + 4 * start, end - start, into + start) == 0xFF) continue;
    for (int32_t i = start; i < end; ++i) {
      if (rgba[4 * i + 3] != 255) into[i] = Straightened(rgba + 4 * i);
    }
  }
}

// Whether every one of `count` RGBA pixels is opaque.
bool AllOpaque(const uint8_t* rgba, int32_t count) {
  int32_t i = 0;
#if defined(__SSE2__)
  __m128i allFour = _mm_set1_epi32(-1);
  for (; i + 16 <= count; i += 16) {
    const __m128i* p = reinterpret_cast<const __m128i*>(rgba + 4 * i);
    const __m128i two = _mm_and_si128(_mm_loadu_si128(p), _mm_loadu_si128(p + 1));
    const __m128i four = _mm_and_si128(_mm_loadu_si128(p + 2), _mm_loadu_si128(p + 3));
    allFour = _mm_and_si128(allFour, _mm_and_si128(two, four));
  }
  const __m128i alphas = _mm_srai_epi32(allFour, 24);  // 255 reads as -1
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, _mm_set1_epi32(-1))) != 0xFFFF) return false;
#endif
  for (; i < count; ++i) {
    if (rgba[4 * i + 3] != 255) return false;
  }
  return true;
}

// A premultiplied row as straight RGBA: where it lies when every pixel is opaque (colours
// times 255 / 255 are themselves), else put in `into` with each other pixel straightened.
const uint8_t* StraightRgbaRow(const uint8_t* rgba, int32_t count, uint8_t* into) {
  if (AllOpaque(rgba, count)) return rgba;
  std::memcpy(into, rgba, static_cast<size_t>(count) * 4);
  for (int32_t i = 0; i < count; ++i) {
    if (rgba[4 * i + 3] != 255) {
      PutPixel(PixelLayout::kRgba, Straightened(rgba + 4 * i), into + 4 * i);
    }
  }
  return into;
}

// Rows of floats go through a row of RGBA bytes.
constexpr int32_t kFloatChunk = 1024;

#if defined(__SSE2__)
// Four floats, each round(clamp(v) * 255) with NaN as 0, as four 32-bit integers. Clamped in
// float (maxps gives its second operand for NaN); then in double, where v * 255 is exact,
// adding 2^52 + 2^51 rounds it to the nearest integer in the low bits. The one value of
// v * 255 that lies halfway, 127.5 for v = 0.5, rounds up either way, so this is round half up.
inline __m128i RoundedBytes(const float* v) {
  const __m128 c = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(v), _mm_setzero_ps()), _mm_set1_ps(1.0f));
  const __m128d scale = _mm_set1_pd(255.0), magic = _mm_set1_pd(6755399441055744.0);
  const __m128d low = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(c), scale), magic);
  const __m128d high = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(c, c)), scale), magic);
  return _mm_castps_si128(
      _mm_shuffle_ps(_mm_castpd_ps(low), _mm_castpd_ps(high), _MM_SHUFFLE(2, 0, 2, 0)));
}

// Four pixels of floats to four of RGBA bytes.
inline void BytesOfFour(const float* v, uint8_t* out) {
  const __m128i a = _mm_packs_epi32(RoundedBytes(v), RoundedBytes(v + 4));
  const __m128i b = _mm_packs_epi32(RoundedBytes(v + 8), RoundedBytes(v + 12));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
}
#endif

inline uint8_t ByteOfUnit(float v) {
  const float c = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;  // NaN is 0
  return static_cast<uint8_t>(static_cast<double>(c) * 255.0 + 0.5);
}

void RgbaFromFloats(const float* f, int32_t count, uint8_t* rgba) {
  int32_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    // Read ahead: the processor's own prefetching has been measured to leave this loop
    // waiting on memory for most of its time.
    _mm_prefetch(reinterpret_cast<const char*>(f + i * 4 + 256), _MM_HINT_T0);
    BytesOfFour(f + i * 4, rgba + i * 4);
  }
#endif
  for (; i < count * 4; ++i) rgba[i] = ByteOfUnit(f[i]);
}

void HostPixelsFromFloats(const float* f, int32_t count, FlamePixel* into) {
  alignas(16) uint8_t rgba[kFloatChunk * 4];
  for (int32_t done = 0; done < count; done += kFloatChunk) {
    const int32_t n = std::min(kFloatChunk, count - done);
    RgbaFromFloats(f + static_cast<ptrdiff_t>(done) * 4, n, rgba);
    HostPixelsFromRgba(rgba, n, into + done);
  }
}

const FlamePixel* ReadRow(const void* context, int32_t y, FlamePixel* into) {
  return SourceRowAsRead(*static_cast<const ConstPixelView*>(context), y, into);
}

// Whether the engine reads the source where it lies, and in which byte order.
bool ReadInPlace(const ConstPixelView& source, FlameByteOrder* order) {
  if (source.rowBytes % 4 != 0 || reinterpret_cast<uintptr_t>(source.top) % 4 != 0) return false;
  if (source.layout == PixelLayout::kHostArgb) {
    *order = FlameByteOrder::kHost;
    return true;
  }
  if (source.layout == PixelLayout::kRgba) {
    *order = FlameByteOrder::kRgba;
    return true;
  }
  return false;
}

// Each byte c of a colour as c / 255.
void ColourHeatRowsOfFloats(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                            const PixelView& output) {
#if defined(__SSE2__)
  __m128 units[256];
  for (int h = 0; h < 256; ++h) {
    const FlamePixel& c = colours[h];
    units[h] = _mm_setr_ps(static_cast<float>(c.red) / 255.0f,
                           static_cast<float>(c.green) / 255.0f,
                           static_cast<float>(c.blue) / 255.0f,
                           static_cast<float>(c.alpha) / 255.0f);
  }
  for (int32_t y = 0; y < output.height; ++y) {
    const uint8_t* heat = field + static_cast<ptrdiff_t>(y) * stride;
    float* out = reinterpret_cast<float*>(output.Row(y));
    if (reinterpret_cast<uintptr_t>(out) % 16 == 0) {
      for (int32_t x = 0; x < output.width; ++x) _mm_stream_ps(out + 4 * x, units[heat[x]]);
    } else {
      for (int32_t x = 0; x < output.width; ++x) _mm_storeu_ps(out + 4 * x, units[heat[x]]);
    }
  }
  _mm_sfence();
#else
  float units[256][4];
  for (int h = 0; h < 256; ++h) {
    const FlamePixel& c = colours[h];
    const uint8_t rgba[4] = {c.red, c.green, c.blue, c.alpha};
    for (int k = 0; k < 4; ++k) units[h][k] = static_cast<float>(rgba[k]) / 255.0f;
  }
  for (int32_t y = 0; y < output.height; ++y) {
    const uint8_t* heat = field + static_cast<ptrdiff_t>(y) * stride;
    uint8_t* out = output.Row(y);
    for (int32_t x = 0; x < output.width; ++x) std::memcpy(out + 16 * x, units[heat[x]], 16);
  }
#endif
}

// round(v / 255) for v up to 255 × 255.
inline uint8_t DivideBy255(uint32_t v) { return static_cast<uint8_t>((v + 127) / 255); }

}  // namespace

void PutPixel(PixelLayout layout, const FlamePixel& pixel, uint8_t* into) {
  uint8_t bytes[4] = {pixel.red, pixel.green, pixel.blue, pixel.alpha};
  switch (layout) {
    case PixelLayout::kHostArgb:
      std::memcpy(into, &pixel, 4);
      return;
    case PixelLayout::kRgba:
    case PixelLayout::kRgbaFloat:  // four floats a pixel: coloured apart
      break;
    case PixelLayout::kRgbaPremultiplied:
    case PixelLayout::kRgbWeighted:
      for (int c = 0; c < 3; ++c) bytes[c] = DivideBy255(bytes[c] * uint32_t{pixel.alpha});
      break;
  }
  std::memcpy(into, bytes, static_cast<size_t>(PixelBytes(layout) == 3 ? 3 : 4));
}

void RgbaFromHostPixels(const FlamePixel* pixels, int32_t count, uint8_t* rgba) {
  int32_t i = 0;
#if defined(__SSE2__)
  const uint8_t* in = reinterpret_cast<const uint8_t*>(pixels);
  for (; i + 4 <= count; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rgba + 4 * i),
                     _mm_or_si128(_mm_srli_epi32(four, 8), _mm_slli_epi32(four, 24)));
  }
#endif
  for (; i < count; ++i) PutPixel(PixelLayout::kRgba, pixels[i], rgba + 4 * i);
}

void ReadSourceRow(const ConstPixelView& source, int32_t y, FlamePixel* into) {
  const uint8_t* row = source.Row(y);
  switch (source.layout) {
    case PixelLayout::kHostArgb:
      std::memcpy(into, row, static_cast<size_t>(source.width) * 4);
      return;
    case PixelLayout::kRgba:
#if defined(__SSE2__)
      // The next row is asked for while this one is turned: rows stored bottom up go against
      // the processor's own prefetching (a row of floats, four times the bytes, would push the
      // one being read out of the cache: its loop reads ahead itself).
      if (y + 1 < source.height) {
        const char* next = reinterpret_cast<const char*>(source.Row(y + 1));
        for (int32_t b = 0; b < source.width * 4; b += 64) _mm_prefetch(next + b, _MM_HINT_T0);
      }
#endif
      HostPixelsFromRgba(row, source.width, into);
      return;
    case PixelLayout::kRgbaPremultiplied:
      HostPixelsFromPremultiplied(row, source.width, into);
      return;
    case PixelLayout::kRgbaFloat:
      HostPixelsFromFloats(reinterpret_cast<const float*>(row), source.width, into);
      return;
    case PixelLayout::kRgbWeighted:
      for (int32_t x = 0; x < source.width; ++x, row += 3) {
        into[x] = FlamePixel{255, row[0], row[1], row[2]};
      }
      return;
  }
}

FlameSourceImage SourceImageOf(const ConstPixelView& source, FlamePixel* rowBuffer) {
  FlameSourceImage image{nullptr, 0, 0, 0};
  if (source.Empty()) return image;  // no source layer: nothing feeds the fire
  image.width = source.width;
  image.height = source.height;
  if (ReadInPlace(source, &image.order)) {
    image.pixels = reinterpret_cast<const FlamePixel*>(source.top);
    image.stride = static_cast<int32_t>(source.rowBytes / 4);
    image.rowsFall = source.rowBytes < 0;
    return image;
  }
  // Premultiplied rows are read as straight RGBA: mostly where they lie, being opaque.
  if (source.layout == PixelLayout::kRgbaPremultiplied) image.order = FlameByteOrder::kRgba;
  image.readRow = ReadRow;
  image.rowContext = &source;
  image.rowBuffer = rowBuffer;
  return image;
}

const FlamePixel* SourceRowAsRead(const ConstPixelView& source, int32_t y,
                                  FlamePixel* rowBuffer) {
  FlameByteOrder order;
  if (ReadInPlace(source, &order)) return reinterpret_cast<const FlamePixel*>(source.Row(y));
  if (source.layout == PixelLayout::kRgbaPremultiplied) {
    return reinterpret_cast<const FlamePixel*>(StraightRgbaRow(
        source.Row(y), source.width, reinterpret_cast<uint8_t*>(rowBuffer)));
  }
  ReadSourceRow(source, y, rowBuffer);
  return rowBuffer;
}

FlameSourceImage WatchedSource::Image(FlamePixel* rowBuffer) const {
  FlameSourceImage image = SourceImageOf(view_, rowBuffer);
  if (image.width == 0) return image;
  image.pixels = nullptr;
  image.stride = 0;
  image.readRow = ReadWatchedRow;
  image.rowContext = this;
  image.rowBuffer = rowBuffer;
  return image;
}

const FlamePixel* WatchedSource::ReadWatchedRow(const void* context, int32_t y,
                                                FlamePixel* rowBuffer) {
  const WatchedSource& source = *static_cast<const WatchedSource*>(context);
  source.Finish();
  const FlamePixel* row = SourceRowAsRead(source.view_, y, rowBuffer);
  if (row == rowBuffer) {
    source.watcher_->Seen(y, row);  // the next row is read into the same buffer
  } else {
    source.readY_ = y;
    source.read_ = row;
  }
  return row;
}

void WatchedSource::Finish() const {
  if (read_) watcher_->Seen(readY_, read_);
  read_ = nullptr;
}

void ColourHeatInto(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const PixelView& output) {
  if (output.Empty()) return;
  std::memset(output.Row(0), 0, static_cast<size_t>(output.width) * PixelBytes(output.layout));
  const PixelView below{output.Row(1), output.rowBytes, output.width, output.height - 1,
                        output.layout};
  ColourHeatRows(field + stride, stride, colours, below);
}

void ColourHeatRows(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const PixelView& output) {
  if (output.Empty()) return;
  if (output.layout == PixelLayout::kRgbaFloat) {
    ColourHeatRowsOfFloats(field, stride, colours, output);
    return;
  }
  if (output.layout == PixelLayout::kRgbWeighted) return;  // coloured over black (fire_over.h)
  uint32_t finished[256];
  for (int h = 0; h < 256; ++h) {
    PutPixel(output.layout, colours[h], reinterpret_cast<uint8_t*>(&finished[h]));
  }
  FastColourRows(field, stride, output.width, output.height, finished, output.top,
                 output.rowBytes);
}
