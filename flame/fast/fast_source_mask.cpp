// SPDX-License-Identifier: GPL-2.0-or-later
// The source mask, fast: sixteen or thirty-two pixels at a time, a row at a call.
#include <cstddef>
#include <cstdint>

#include "flame/fast/fast_flame.h"
#include "flame/fast/fast_row_kernels.h"
#include "flame/fast/vector_support.h"

namespace {

inline uint8_t MaskCell(const FlamePixel& pixel, int32_t invert) {
  int M = pixel.red > pixel.green ? pixel.red : pixel.green;
  if (pixel.blue > M) M = pixel.blue;
  return static_cast<uint8_t>(invert ? 255 - M : M);
}

#if defined(__SSE2__)
// Four pixels, alpha in byte 0 of each 32-bit lane and red, green, blue above it: shifted
// up by one and two bytes, red and green come to lie over blue in byte 3, so two maxima put
// the largest of the three there.
inline __m128i Brightness4(__m128i pixels) {
  const __m128i m = _mm_max_epu8(pixels, _mm_slli_epi32(pixels, 8));  // byte 3: max(b, g)
  return _mm_srli_epi32(_mm_max_epu8(m, _mm_slli_epi32(pixels, 16)), 24);
}

inline __m128i Alpha4(__m128i pixels) { return _mm_and_si128(pixels, _mm_set1_epi32(0xFF)); }

inline __m128i Pack16(__m128i a, __m128i b, __m128i c, __m128i d) {
  return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
}
#endif

#if FLAME_HAVE_AVX2
FLAME_AVX2 inline __m256i Brightness8(__m256i pixels) {
  const __m256i m = _mm256_max_epu8(pixels, _mm256_slli_epi32(pixels, 8));
  return _mm256_srli_epi32(_mm256_max_epu8(m, _mm256_slli_epi32(pixels, 16)), 24);
}

// The packs work within 16-byte lanes; the permutation puts the 4-pixel groups back in order.
FLAME_AVX2 inline __m256i Pack32(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
  return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// Mask cells k .. of one row, 32 at a time; returns how many it did.
FLAME_AVX2 int MaskRun32(const FlamePixel* in, uint8_t* out, int n, int32_t invert) {
  const __m256i flip = _mm256_set1_epi8(invert ? -1 : 0);
  const __m256i low = _mm256_set1_epi32(0xFF);
  const __m256i zero = _mm256_setzero_si256();
  int k = 0;
  for (; k + 32 <= n; k += 32) {
    const __m256i* p = reinterpret_cast<const __m256i*>(in + k);
    const __m256i p0 = _mm256_loadu_si256(p), p1 = _mm256_loadu_si256(p + 1);
    const __m256i p2 = _mm256_loadu_si256(p + 2), p3 = _mm256_loadu_si256(p + 3);
    const __m256i bright = _mm256_xor_si256(
        Pack32(Brightness8(p0), Brightness8(p1), Brightness8(p2), Brightness8(p3)), flip);
    const __m256i transparent = _mm256_cmpeq_epi8(
        Pack32(_mm256_and_si256(p0, low), _mm256_and_si256(p1, low), _mm256_and_si256(p2, low),
               _mm256_and_si256(p3, low)),
        zero);
    __m256i* o = reinterpret_cast<__m256i*>(out + k);
    const __m256i old = _mm256_loadu_si256(o);
    _mm256_storeu_si256(o, _mm256_or_si256(_mm256_and_si256(transparent, old),
                                           _mm256_andnot_si256(transparent, bright)));
  }
  return k;
}
#endif

}  // namespace

void FastSourceMaskRow([[maybe_unused]] RowVectors v, int stride, int rows,
                       const FlameSourceImage& source, uint8_t* mask, int32_t invert, int y) {
  if (y < 2 || y > rows - 3 || y >= source.height) return;
  int xLast = stride - 3;
  if (xLast > source.width - 1) xLast = source.width - 1;
  if (xLast < 2) return;
  const int n = xLast - 1;  // columns 2 .. xLast
  const FlamePixel* in = FlameSourceRow(source, y) + 2;
  uint8_t* out = mask + static_cast<ptrdiff_t>(y) * stride + 2;
  int k = 0;
#if FLAME_HAVE_AVX2
  if (v.wide) k = MaskRun32(in, out, n, invert);
#endif
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

void FastBuildSourceMask(const FlameState& state, int stride, int rows,
                         const FlameSourceImage& source, uint8_t* mask, int32_t invert) {
  const RowVectors v = VectorsFor(state.fast);
  for (int y = 2; y <= rows - 3 && y < source.height; ++y) {
    FastSourceMaskRow(v, stride, rows, source, mask, invert, y);
  }
}
