// The render driver's per-pixel passes, fast: the source mask sixteen pixels at a time, and
// the colouring as one lookup per pixel in a table of 256 finished output pixels, made for
// each render by FlameHeatPixel itself, so every pixel is what the plain loop computes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "flame/fast_flame.h"

namespace {

inline uint8_t MaskCell(const FlamePixel& pixel, int32_t invert) {
  int M = pixel.red > pixel.green ? pixel.red : pixel.green;
  if (pixel.blue > M) M = pixel.blue;
  return static_cast<uint8_t>(invert ? 255 - M : M);
}

#if defined(__SSE2__)
// Four pixels, alpha in byte 0 of each 32-bit lane and red, green, blue above it: the
// largest of red, green and blue lands in byte 1 after two shifted maxima.
inline __m128i Brightness4(__m128i pixels) {
  const __m128i m = _mm_max_epu8(pixels, _mm_srli_epi32(pixels, 8));  // byte 1: max(r, g)
  const __m128i top = _mm_max_epu8(m, _mm_srli_epi32(m, 8));          // byte 1: max(r, g, b)
  return _mm_and_si128(_mm_srli_epi32(top, 8), _mm_set1_epi32(0xFF));
}

inline __m128i Alpha4(__m128i pixels) { return _mm_and_si128(pixels, _mm_set1_epi32(0xFF)); }

inline __m128i Pack16(__m128i a, __m128i b, __m128i c, __m128i d) {
  return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
}
#endif

}  // namespace

void FastBuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                         int32_t invert) {
  int xLast = stride - 3;
  if (xLast > source.width - 1) xLast = source.width - 1;
  if (xLast < 2) return;
  const int n = xLast - 1;  // columns 2 .. xLast
  for (int y = 2; y <= rows - 3; ++y) {
    if (y >= source.height) break;
    const FlamePixel* in = source.pixels + static_cast<ptrdiff_t>(y) * source.stride + 2;
    uint8_t* out = mask + static_cast<ptrdiff_t>(y) * stride + 2;
    int k = 0;
#if defined(__SSE2__)
    const __m128i flip = _mm_set1_epi8(invert ? -1 : 0);
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
      const __m128i* p = reinterpret_cast<const __m128i*>(in + k);
      const __m128i p0 = _mm_loadu_si128(p), p1 = _mm_loadu_si128(p + 1);
      const __m128i p2 = _mm_loadu_si128(p + 2), p3 = _mm_loadu_si128(p + 3);
      const __m128i bright =
          _mm_xor_si128(Pack16(Brightness4(p0), Brightness4(p1), Brightness4(p2), Brightness4(p3)),
                        flip);
      const __m128i transparent =
          _mm_cmpeq_epi8(Pack16(Alpha4(p0), Alpha4(p1), Alpha4(p2), Alpha4(p3)), zero);
      __m128i* o = reinterpret_cast<__m128i*>(out + k);
      const __m128i old = _mm_loadu_si128(o);
      _mm_storeu_si128(o, _mm_or_si128(_mm_and_si128(transparent, old),
                                       _mm_andnot_si128(transparent, bright)));
    }
#endif
    for (; k < n; ++k) {
      if (in[k].alpha != 0) out[k] = MaskCell(in[k], invert);
    }
  }
}

void FastColourFlameField(const uint8_t* field, int stride, int width, int rows,
                          const FlameColorTable& table, int32_t alpha, FlamePixel* output) {
  uint32_t finished[256];
  for (int h = 0; h < 256; ++h) {
    const FlamePixel pixel = FlameHeatPixel(static_cast<uint8_t>(h), table, alpha);
    std::memcpy(&finished[h], &pixel, sizeof pixel);
  }
  for (int y = 1; y < rows; ++y) {
    const uint8_t* heat = field + static_cast<ptrdiff_t>(y) * stride;
    FlamePixel* out = output + static_cast<ptrdiff_t>(y) * stride;
    for (int x = 0; x < width; ++x) std::memcpy(out + x, &finished[heat[x]], sizeof *out);
  }
}
