// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>
#include <xmmintrin.h>

#include "minihost/rgba_pixels.h"
#include "ofx/ofx_props.h"
#include "ofx/pixel_digest.h"

namespace {

// Rows of floats go through a row of RGBA bytes.
constexpr int kRowChunk = 1024;

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

// Four pixels of RGBA bytes to four of floats, each byte / 255. Streamed: written past the
// cache (the host reads the image only after the render), to 16-byte aligned memory.
template <bool kStreamed>
inline void UnitsOfFour(const uint8_t* bytes, float* out) {
  const __m128i all = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_unpacklo_epi8(all, zero), high = _mm_unpackhi_epi8(all, zero);
  const __m128i words[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                            _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
  for (int i = 0; i < 4; ++i) {
    const __m128 units = _mm_div_ps(_mm_cvtepi32_ps(words[i]), _mm_set1_ps(255.0f));
    if (kStreamed) {
      _mm_stream_ps(out + 4 * i, units);
    } else {
      _mm_storeu_ps(out + 4 * i, units);
    }
  }
}

void RowToFrame(const unsigned char* in, bool isFloat, int count, PF_Pixel* out) {
  if (!isFloat) {
    HostPixelsFromRgba(in, static_cast<size_t>(count), out);
    return;
  }
  const float* f = reinterpret_cast<const float*>(in);
  alignas(16) uint8_t rgba[kRowChunk * 4];
  for (int done = 0; done < count; done += kRowChunk) {
    const int n = std::min(kRowChunk, count - done);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      // Read ahead: the processor's own prefetching has been measured to leave this loop
      // waiting on memory for most of its time.
      _mm_prefetch(reinterpret_cast<const char*>(f + (done + i) * 4 + 256), _MM_HINT_T0);
      BytesOfFour(f + (done + i) * 4, rgba + i * 4);
    }
    if (i < n) {  // the last one to three pixels, through a block of four
      float rest[16] = {};
      std::memcpy(rest, f + (done + i) * 4, static_cast<size_t>(n - i) * 16);
      uint8_t bytes[16];
      BytesOfFour(rest, bytes);
      std::memcpy(rgba + i * 4, bytes, static_cast<size_t>(n - i) * 4);
    }
    HostPixelsFromRgba(rgba, static_cast<size_t>(n), out + done);
  }
}

void FrameToRow(const PF_Pixel* in, int count, bool isFloat, unsigned char* out) {
  if (!isFloat) {
    RgbaFromHostPixels(in, count, 1, count, out);
    return;
  }
  float* f = reinterpret_cast<float*>(out);
  alignas(16) uint8_t rgba[kRowChunk * 4 + 16];
  for (int done = 0; done < count; done += kRowChunk) {
    const int n = std::min(kRowChunk, count - done);
    RgbaFromHostPixels(in + done, n, 1, n, rgba);
    int i = 0;
    if (reinterpret_cast<uintptr_t>(f) % 16 == 0) {
      for (; i + 4 <= n; i += 4) UnitsOfFour<true>(rgba + i * 4, f + (done + i) * 4);
    } else {
      for (; i + 4 <= n; i += 4) UnitsOfFour<false>(rgba + i * 4, f + (done + i) * 4);
    }
    if (i < n) {  // the last one to three pixels, through a block of four
      float rest[16];
      UnitsOfFour<false>(rgba + i * 4, rest);
      std::memcpy(f + (done + i) * 4, rest, static_cast<size_t>(n - i) * 16);
    }
  }
}

// A row of heat cells through a table of 256 finished pixels (RGBA bytes as 32-bit words, or
// four floats). Streamed where the row is 16-byte aligned: the host reads the image only after
// the render, and the source and the fire's buffers want the cache.
void HeatRowToBytes(const uint8_t* heat, int count, const uint32_t* table, unsigned char* out) {
  int x = 0;
  for (; x < count && reinterpret_cast<uintptr_t>(out + 4 * x) % 16 != 0; ++x) {
    std::memcpy(out + 4 * x, &table[heat[x]], 4);
  }
  if (reinterpret_cast<uintptr_t>(out + 4 * x) % 16 == 0) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i cold = _mm_set1_epi32(static_cast<int>(table[0]));
    for (; x + 16 <= count; x += 16) {
      __m128i* o = reinterpret_cast<__m128i*>(out + 4 * x);
      const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(heat + x));
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(sixteen, zero)) == 0xFFFF) {  // sixteen cold cells
        for (int q = 0; q < 4; ++q) _mm_stream_si128(o + q, cold);
        continue;
      }
      for (int q = 0; q < 4; ++q) {
        const uint8_t* h = heat + x + 4 * q;
        _mm_stream_si128(o + q, _mm_setr_epi32(static_cast<int>(table[h[0]]),
                                               static_cast<int>(table[h[1]]),
                                               static_cast<int>(table[h[2]]),
                                               static_cast<int>(table[h[3]])));
      }
    }
  }
  for (; x < count; ++x) std::memcpy(out + 4 * x, &table[heat[x]], 4);
}

void HeatRowToFloats(const uint8_t* heat, int count, const __m128* table, unsigned char* out) {
  float* f = reinterpret_cast<float*>(out);
  if (reinterpret_cast<uintptr_t>(f) % 16 == 0) {
    for (int x = 0; x < count; ++x) _mm_stream_ps(f + 4 * x, table[heat[x]]);
  } else {
    for (int x = 0; x < count; ++x) _mm_storeu_ps(f + 4 * x, table[heat[x]]);
  }
}

unsigned char* PixelAddress(const OfxImageView& image, int x, int y) {
  const ptrdiff_t row = static_cast<ptrdiff_t>(y - image.bounds.y1) * image.rowBytes;
  const ptrdiff_t column = static_cast<ptrdiff_t>(x - image.bounds.x1) * (image.isFloat ? 16 : 4);
  return image.data + row + column;
}

}  // namespace

OfxImageRead ReadImageView(OfxPropertySetHandle image, OfxImageView* view) {
  const OfxProps props(image);
  const char* components = nullptr;
  const char* depth = nullptr;
  void* data = nullptr;
  int bounds[4];
  if (!props.GetString(ofx::kComponents, &components) ||
      std::strcmp(components, ofx::kComponentRGBA) != 0 ||
      !props.GetString(ofx::kPixelDepth, &depth) || !props.GetPointer(ofx::kImageData, &data) ||
      !props.GetInts(ofx::kImageBounds, bounds, 4) ||
      !props.GetInt(ofx::kImageRowBytes, &view->rowBytes)) {
    return OfxImageRead::kUnsupported;
  }
  if (std::strcmp(depth, ofx::kBitDepthFloat) == 0) {
    view->isFloat = true;
  } else if (std::strcmp(depth, ofx::kBitDepthByte) == 0) {
    view->isFloat = false;
  } else {
    return OfxImageRead::kUnsupported;
  }
  view->data = static_cast<unsigned char*>(data);
  view->bounds = OfxRectI{bounds[0], bounds[1], bounds[2], bounds[3]};
  // Rows must not overlap: a row of pixels fits between one row and the next.
  const int64_t width = static_cast<int64_t>(bounds[2]) - bounds[0];
  const int64_t rowLength = width * (view->isFloat ? 16 : 4);
  const int64_t step = view->rowBytes < 0 ? -static_cast<int64_t>(view->rowBytes) : view->rowBytes;
  const bool empty = bounds[2] <= bounds[0] || bounds[3] <= bounds[1];
  if (!view->data) return OfxImageRead::kNoData;
  if (!empty && bounds[3] - bounds[1] > 1 && step < rowLength) return OfxImageRead::kShortRows;
  return OfxImageRead::kOk;
}

OfxRectI Intersect(const OfxRectI& a, const OfxRectI& b) {
  OfxRectI r{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
             std::min(a.y2, b.y2)};
  if (r.x2 < r.x1) r.x2 = r.x1;
  if (r.y2 < r.y1) r.y2 = r.y1;
  return r;
}

void CopyImageToFrame(const OfxImageView& image, const OfxRectI& frame, PF_Pixel* pixels,
                      PixelDigest* digest) {
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const OfxRectI covered = Intersect(frame, image.bounds);
  const size_t left = static_cast<size_t>(covered.x1 - frame.x1);
  const size_t inside = static_cast<size_t>(covered.x2 - covered.x1);
  // Top row first, each digested while it is still in the cache.
  for (int y = frame.y2 - 1; y >= frame.y1; --y) {
    PF_Pixel* out = pixels + static_cast<size_t>(frame.y2 - 1 - y) * width;
    if (y < covered.y1 || y >= covered.y2 || inside == 0) {
      std::fill(out, out + width, PF_Pixel{0, 0, 0, 0});
    } else {
      std::fill(out, out + left, PF_Pixel{0, 0, 0, 0});
      std::fill(out + left + inside, out + width, PF_Pixel{0, 0, 0, 0});
      if (y > covered.y1 && !image.isFloat) {
        // The rows go downward through the host's image, against the processor's own
        // prefetching: the next one is asked for while this one is turned (measured: a
        // quarter off the copy at 1920x1080 and 3840x2160). A row of floats, four times the
        // bytes, would push the one being read out of the cache: its loop reads ahead itself.
        const char* next = reinterpret_cast<const char*>(PixelAddress(image, covered.x1, y - 1));
        for (size_t b = 0; b < inside * 4; b += 64) _mm_prefetch(next + b, _MM_HINT_T0);
      }
      RowToFrame(PixelAddress(image, covered.x1, y), image.isFloat, static_cast<int>(inside),
                 out + left);
    }
    if (digest) digest->Add(out, width);
  }
}

void CopyFrameToImage(const PF_Pixel* pixels, const OfxRectI& frame, const OfxRectI& window,
                      const OfxImageView& image) {
  const OfxRectI target = Intersect(window, image.bounds);
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const size_t pixelSize = image.isFloat ? 16 : 4;
  for (int y = target.y1; y < target.y2; ++y) {
    unsigned char* row = PixelAddress(image, target.x1, y);
    const bool inFrame = y >= frame.y1 && y < frame.y2;
    const int x1 = inFrame ? std::min(std::max(target.x1, frame.x1), target.x2) : target.x2;
    const int x2 = inFrame ? std::max(std::min(target.x2, frame.x2), x1) : target.x2;
    // The window's pixels beside the frame are transparent.
    std::memset(row, 0, static_cast<size_t>(x1 - target.x1) * pixelSize);
    std::memset(row + static_cast<size_t>(x2 - target.x1) * pixelSize, 0,
                static_cast<size_t>(target.x2 - x2) * pixelSize);
    if (x1 == x2) continue;
    const PF_Pixel* in = pixels + static_cast<size_t>(frame.y2 - 1 - y) * width +
                         static_cast<size_t>(x1 - frame.x1);
    FrameToRow(in, x2 - x1, image.isFloat, row + static_cast<size_t>(x1 - target.x1) * pixelSize);
  }
  _mm_sfence();  // the streamed stores are done before the host is told the render is
}

void ColourHeatToImage(const uint8_t* heat, const PF_Pixel colours[256], const OfxRectI& frame,
                       const OfxRectI& window, const OfxImageView& image) {
  // The finished pixel of every heat, as the image holds it: what CopyFrameToImage makes of
  // the effect's pixel.
  alignas(16) uint32_t bytes[256];
  __m128 units[256];
  for (int h = 0; h < 256; ++h) {
    RgbaFromHostPixels(&colours[h], 1, 1, 1, reinterpret_cast<uint8_t*>(&bytes[h]));
    if (image.isFloat) {
      const uint8_t* c = reinterpret_cast<const uint8_t*>(&bytes[h]);
      units[h] = _mm_setr_ps(static_cast<float>(c[0]) / 255.0f, static_cast<float>(c[1]) / 255.0f,
                             static_cast<float>(c[2]) / 255.0f, static_cast<float>(c[3]) / 255.0f);
    }
  }
  const OfxRectI target = Intersect(window, image.bounds);
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const size_t pixelSize = image.isFloat ? 16 : 4;
  for (int y = target.y1; y < target.y2; ++y) {
    unsigned char* row = PixelAddress(image, target.x1, y);
    // The frame's top row is never coloured: it stays transparent, as beside the frame.
    const bool inFrame = y >= frame.y1 && y < frame.y2 - 1;
    const int x1 = inFrame ? std::min(std::max(target.x1, frame.x1), target.x2) : target.x2;
    const int x2 = inFrame ? std::max(std::min(target.x2, frame.x2), x1) : target.x2;
    if (x1 > target.x1) std::memset(row, 0, static_cast<size_t>(x1 - target.x1) * pixelSize);
    if (target.x2 > x2) {
      std::memset(row + static_cast<size_t>(x2 - target.x1) * pixelSize, 0,
                  static_cast<size_t>(target.x2 - x2) * pixelSize);
    }
    if (x1 == x2) continue;
    const uint8_t* in = heat + static_cast<size_t>(frame.y2 - 1 - y) * width +
                        static_cast<size_t>(x1 - frame.x1);
    unsigned char* out = row + static_cast<size_t>(x1 - target.x1) * pixelSize;
    if (image.isFloat) {
      HeatRowToFloats(in, x2 - x1, units, out);
    } else {
      HeatRowToBytes(in, x2 - x1, bytes, out);
    }
  }
  _mm_sfence();
}
