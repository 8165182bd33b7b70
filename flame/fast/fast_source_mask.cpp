// SPDX-License-Identifier: GPL-2.0-or-later
// The source mask, fast: sixteen or thirty-two pixels at a time, a row at a call.
#include <cstddef>
#include <cstdint>

#include "flame/fast/fast_flame.h"
#include "flame/fast/fast_row_kernels.h"
#include "flame/fast/vector_support.h"

namespace {

// Where a pixel's bytes lie: alpha first and red, green, blue after it as the host lays
// pixels out; red, green, blue first and alpha last in RGBA.
template <FlameByteOrder kOrder>
constexpr int kAlphaAt = kOrder == FlameByteOrder::kRgba ? 3 : 0;
template <FlameByteOrder kOrder>
constexpr int kRedAt = kOrder == FlameByteOrder::kRgba ? 0 : 1;

template <FlameByteOrder kOrder>
inline void MaskCells(const uint8_t* in, uint8_t* out, int from, int to, int32_t invert) {
  for (int k = from; k < to; ++k) {
    const uint8_t* pixel = in + 4 * k;
    if (pixel[kAlphaAt<kOrder>] == 0) continue;
    const uint8_t* rgb = pixel + kRedAt<kOrder>;
    int M = rgb[0] > rgb[1] ? rgb[0] : rgb[1];
    if (rgb[2] > M) M = rgb[2];
    out[k] = static_cast<uint8_t>(invert ? 255 - M : M);
  }
}

#if defined(__SSE2__)
// Four pixels' brightness and alpha in the low byte of each 32-bit lane. As the host lays
// pixels out, alpha is in byte 0 and red, green, blue above it: shifted up by one and two
// bytes, red and green come to lie over blue in byte 3, so two maxima put the largest of the
// three there. In RGBA, shifted down, green and blue come to lie over red in byte 0.
template <FlameByteOrder kOrder>
inline __m128i Brightness4(__m128i pixels) {
  if (kOrder == FlameByteOrder::kRgba) {
    const __m128i m = _mm_max_epu8(pixels, _mm_srli_epi32(pixels, 8));  // byte 0: max(r, g)
    return _mm_and_si128(_mm_max_epu8(m, _mm_srli_epi32(pixels, 16)), _mm_set1_epi32(0xFF));
  }
  const __m128i m = _mm_max_epu8(pixels, _mm_slli_epi32(pixels, 8));  // byte 3: max(b, g)
  return _mm_srli_epi32(_mm_max_epu8(m, _mm_slli_epi32(pixels, 16)), 24);
}

template <FlameByteOrder kOrder>
inline __m128i Alpha4(__m128i pixels) {
  if (kOrder == FlameByteOrder::kRgba) return _mm_srli_epi32(pixels, 24);
  return _mm_and_si128(pixels, _mm_set1_epi32(0xFF));
}

inline __m128i Pack16(__m128i a, __m128i b, __m128i c, __m128i d) {
  return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
}

// `blocks` runs of 16 cells from cell `first`; `kBackward`, the last run first, each asking
// for the mask `ahead` bytes on.
template <FlameByteOrder kOrder, bool kBackward>
void MaskBlocks16(const uint8_t* in, uint8_t* out, int first, int blocks, int32_t invert,
                  ptrdiff_t ahead) {
  const __m128i flip = _mm_set1_epi8(invert ? -1 : 0);
  const __m128i zero = _mm_setzero_si128();
  for (int b = 0; b < blocks; ++b) {
    const int k = first + 16 * (kBackward ? blocks - 1 - b : b);
    if (kBackward) _mm_prefetch(reinterpret_cast<const char*>(out + k) + ahead, _MM_HINT_T0);
    const __m128i* p = reinterpret_cast<const __m128i*>(in + 4 * k);
    const __m128i p0 = _mm_loadu_si128(p), p1 = _mm_loadu_si128(p + 1);
    const __m128i p2 = _mm_loadu_si128(p + 2), p3 = _mm_loadu_si128(p + 3);
    const __m128i bright = _mm_xor_si128(
        Pack16(Brightness4<kOrder>(p0), Brightness4<kOrder>(p1), Brightness4<kOrder>(p2),
               Brightness4<kOrder>(p3)),
        flip);
    const __m128i transparent = _mm_cmpeq_epi8(
        Pack16(Alpha4<kOrder>(p0), Alpha4<kOrder>(p1), Alpha4<kOrder>(p2), Alpha4<kOrder>(p3)),
        zero);
    __m128i* o = reinterpret_cast<__m128i*>(out + k);
    const __m128i old = _mm_loadu_si128(o);
    _mm_storeu_si128(o, _mm_or_si128(_mm_and_si128(transparent, old),
                                     _mm_andnot_si128(transparent, bright)));
  }
}
#endif

#if FLAME_HAVE_AVX2
template <FlameByteOrder kOrder>
FLAME_AVX2 inline __m256i Brightness8(__m256i pixels) {
  if (kOrder == FlameByteOrder::kRgba) {
    const __m256i m = _mm256_max_epu8(pixels, _mm256_srli_epi32(pixels, 8));
    return _mm256_and_si256(_mm256_max_epu8(m, _mm256_srli_epi32(pixels, 16)),
                            _mm256_set1_epi32(0xFF));
  }
  const __m256i m = _mm256_max_epu8(pixels, _mm256_slli_epi32(pixels, 8));
  return _mm256_srli_epi32(_mm256_max_epu8(m, _mm256_slli_epi32(pixels, 16)), 24);
}

template <FlameByteOrder kOrder>
FLAME_AVX2 inline __m256i Alpha8(__m256i pixels) {
  if (kOrder == FlameByteOrder::kRgba) return _mm256_srli_epi32(pixels, 24);
  return _mm256_and_si256(pixels, _mm256_set1_epi32(0xFF));
}

// The packs work within 16-byte lanes; the permutation puts the 4-pixel groups back in order.
FLAME_AVX2 inline __m256i Pack32(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
  return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// `blocks` runs of 32 cells from cell `first`; `kBackward`, the last run first, each asking
// for the mask `ahead` bytes on.
template <FlameByteOrder kOrder, bool kBackward>
FLAME_AVX2 void MaskBlocks32(const uint8_t* in, uint8_t* out, int first, int blocks,
                             int32_t invert, ptrdiff_t ahead) {
  const __m256i flip = _mm256_set1_epi8(invert ? -1 : 0);
  const __m256i zero = _mm256_setzero_si256();
  for (int b = 0; b < blocks; ++b) {
    const int k = first + 32 * (kBackward ? blocks - 1 - b : b);
    if (kBackward) _mm_prefetch(reinterpret_cast<const char*>(out + k) + ahead, _MM_HINT_T0);
    const __m256i* p = reinterpret_cast<const __m256i*>(in + 4 * k);
    const __m256i p0 = _mm256_loadu_si256(p), p1 = _mm256_loadu_si256(p + 1);
    const __m256i p2 = _mm256_loadu_si256(p + 2), p3 = _mm256_loadu_si256(p + 3);
    const __m256i bright = _mm256_xor_si256(
        Pack32(Brightness8<kOrder>(p0), Brightness8<kOrder>(p1), Brightness8<kOrder>(p2),
               Brightness8<kOrder>(p3)),
        flip);
    const __m256i transparent = _mm256_cmpeq_epi8(
        Pack32(Alpha8<kOrder>(p0), Alpha8<kOrder>(p1), Alpha8<kOrder>(p2), Alpha8<kOrder>(p3)),
        zero);
    __m256i* o = reinterpret_cast<__m256i*>(out + k);
    const __m256i old = _mm256_loadu_si256(o);
    _mm256_storeu_si256(o, _mm256_or_si256(_mm256_and_si256(transparent, old),
                                           _mm256_andnot_si256(transparent, bright)));
  }
}
#endif

// Mask cells 0 .. n - 1 from n pixels: in whole runs of the widest vectors, from the last
// run to the first when `kBackward` (asking for the mask `ahead` bytes on), then what is left.
template <FlameByteOrder kOrder, bool kBackward>
void MaskRow([[maybe_unused]] RowVectors v, const uint8_t* in, uint8_t* out, int n,
             int32_t invert, [[maybe_unused]] ptrdiff_t ahead) {
  int from = 0, to = n;  // the cells left
#if FLAME_HAVE_AVX2
  if (v.wide) {
    const int blocks = n / 32;
    const int first = kBackward ? n - 32 * blocks : 0;
    MaskBlocks32<kOrder, kBackward>(in, out, first, blocks, invert, ahead);
    if (kBackward) {
      to = first;
    } else {
      from = 32 * blocks;
    }
  }
#endif
#if defined(__SSE2__)
  const int blocks = (to - from) / 16;
  const int first = kBackward ? to - 16 * blocks : from;
  MaskBlocks16<kOrder, kBackward>(in, out, first, blocks, invert, ahead);
  if (kBackward) {
    to = first;
  } else {
    from += 16 * blocks;
  }
#endif
  MaskCells<kOrder>(in, out, from, to, invert);
}

}  // namespace

void FastSourceMaskRow([[maybe_unused]] RowVectors v, int stride, int rows,
                       const FlameSourceImage& source, uint8_t* mask, int32_t invert, int y) {
  if (y < 2 || y > rows - 3 || y >= source.height) return;
  int xLast = stride - 3;
  if (xLast > source.width - 1) xLast = source.width - 1;
  if (xLast < 2) return;
  const int n = xLast - 1;  // columns 2 .. xLast
  const uint8_t* in = reinterpret_cast<const uint8_t*>(FlameSourceRow(source, y) + 2);
  uint8_t* out = mask + static_cast<ptrdiff_t>(y) * stride + 2;
  if (source.rowsFall) {
    // The mask's rows lie top down: read last cell first, a row breaks the stream the
    // processor fetches ahead, so each run asks for the cells below it, in the next row.
    if (source.order == FlameByteOrder::kRgba) {
      MaskRow<FlameByteOrder::kRgba, true>(v, in, out, n, invert, stride);
    } else {
      MaskRow<FlameByteOrder::kHost, true>(v, in, out, n, invert, stride);
    }
  } else if (source.order == FlameByteOrder::kRgba) {
    MaskRow<FlameByteOrder::kRgba, false>(v, in, out, n, invert, 0);
  } else {
    MaskRow<FlameByteOrder::kHost, false>(v, in, out, n, invert, 0);
  }
}

void FastBuildSourceMask(const FlameState& state, int stride, int rows,
                         const FlameSourceImage& source, uint8_t* mask, int32_t invert) {
  const RowVectors v = VectorsFor(state.fast);
  for (int y = 2; y <= rows - 3 && y < source.height; ++y) {
    FastSourceMaskRow(v, stride, rows, source, mask, invert, y);
  }
}
