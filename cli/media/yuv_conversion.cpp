// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/yuv_conversion.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/platform/cli_error.h"

namespace {

// BT.601 in studio range at 15 bits, as swscale rounds its default coefficients:
// round(k * 219 / 255 * 2^15) for luma, round(k * 224 / 255 * 2^15) for chroma.
constexpr int32_t kRy = 8414, kGy = 16519, kBy = 3208;
constexpr int32_t kRu = -4865, kGu = -9528, kBu = 14392;
constexpr int32_t kRv = 14392, kGv = -12061, kBv = -2332;
// Luma is 16 plus the weighted sum at 15 bits, rounded once to 6 bits and again to the byte;
// the two roundings fold into one bias.
constexpr int32_t kLumaBias = (16 << 15) + (1 << 8) + (1 << 14);
// Chroma from a pair's sums: 128 plus the weighted sum at 16 bits, rounded to 6 bits and
// doubled to the 15 bits it is filtered at.
constexpr int32_t kChromaBias = (256 << 15) + (1 << 9);

// The most taps a halving filter has (bicubic: 8, and one more before trimming).
constexpr int32_t kMostTaps = 10;

inline int32_t RoundedDiv(int64_t a, int64_t b) {
  return static_cast<int32_t>((a >= 0 ? a + (b >> 1) : a - (b >> 1)) / b);
}

inline uint8_t ClipByte(int32_t v) { return static_cast<uint8_t>(std::min(255, std::max(0, v))); }

// round(c * a / 255), exact for all bytes; the vector code computes the same.
inline int32_t OverBlack(int32_t c, int32_t a) {
  const int32_t t = c * a + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint8_t Luma(int32_t r, int32_t g, int32_t b) {
  return static_cast<uint8_t>((kRy * r + kGy * g + kBy * b + kLumaBias) >> 15);
}

inline int16_t Chroma(int32_t kr, int32_t kg, int32_t kb, int32_t r2, int32_t g2, int32_t b2) {
  return static_cast<int16_t>(((kr * r2 + kg * g2 + kb * b2 + kChromaBias) >> 10) * 2);
}

// swscale's vertical filter for `sourceRows` rows halved, bicubic (B = 0, C = 0.6), chroma
// sited between each pair of rows: its taps worked out in its 64-bit fixed point, trimmed of
// near-zero ends and padded to an even count, moved inside the picture at the top and bottom,
// and normalised to 4096 with each row's rounding error carried to its next tap.
void HalvingTaps(int32_t sourceRows, int32_t* taps, std::vector<int32_t>* firstRows,
                 std::vector<int16_t>* weights) {
  const int32_t rows = sourceRows / 2;
  const int64_t step = ((int64_t{sourceRows} << 16) + (rows >> 1)) / rows;
  int32_t log2 = 0;
  for (int32_t ratio = sourceRows / rows; ratio > 1; ratio >>= 1) ++log2;
  const int64_t unit = int64_t{1} << (54 - std::min(log2, 8));
  int32_t size = std::max(std::min(1 + (4 * sourceRows + rows - 1) / rows, sourceRows - 2), 1);
  const int64_t b = 0;
  const int64_t c = static_cast<int64_t>(0.6 * (1 << 24));

  std::vector<int64_t> filter(static_cast<size_t>(rows) * size);
  std::vector<int32_t>& first = *firstRows;
  first.assign(rows, 0);
  // Positions in 2^-17 of a source row: chroma row i is centred between rows 2i and 2i + 1.
  int64_t centre = ((128 * step) >> 7) - ((128 * 0x10000LL) >> 7);
  for (int32_t i = 0; i < rows; ++i, centre += 2 * step) {
    int32_t at = static_cast<int32_t>((centre - (size - 2) * (int64_t{1} << 16)) / (1 << 17));
    first[i] = at;
    for (int32_t j = 0; j < size; ++j, ++at) {
      int64_t d = std::llabs(int64_t{at} * (1 << 17) - centre) << 13;
      d = d * rows / sourceRows;
      int64_t coeff = 0;
      if (d < int64_t{1} << 31) {
        const int64_t dd = (d * d) >> 30;
        const int64_t ddd = (dd * d) >> 30;
        if (d < int64_t{1} << 30) {
          coeff = (12 * (1 << 24) - 9 * b - 6 * c) * ddd + (-18 * (1 << 24) + 12 * b + 6 * c) * dd +
                  (6 * (1 << 24) - 2 * b) * (1 << 30);
        } else {
          coeff = (-b - 6 * c) * ddd + (6 * b + 30 * c) * dd + (-12 * b - 48 * c) * d +
                  (8 * b + 24 * c) * (1 << 30);
        }
      }
      filter[i * size + j] = coeff / ((int64_t{1} << 54) / unit);
    }
  }

  // Near-zero taps trimmed: leading ones shifted out, trailing ones counted.
  const double cutoff = 0.002 * static_cast<double>(unit);
  int32_t needed = 0;
  for (int32_t i = rows - 1; i >= 0; --i) {
    int64_t* f = &filter[static_cast<size_t>(i) * size];
    int64_t cut = 0;
    for (int32_t j = 0; j < size; ++j) {
      cut += std::llabs(f[0]);
      if (static_cast<double>(cut) > cutoff) break;
      if (i < rows - 1 && first[i] >= first[i + 1]) break;
      std::memmove(f, f + 1, sizeof(int64_t) * (size - 1));
      f[size - 1] = 0;
      ++first[i];
    }
    int32_t kept = size;
    cut = 0;
    for (int32_t j = size - 1; j > 0; --j) {
      cut += std::llabs(f[j]);
      if (static_cast<double>(cut) > cutoff) break;
      --kept;
    }
    needed = std::max(needed, kept);
  }
  const int32_t count = needed == 1 ? 1 : (needed + 1) & ~1;
  std::vector<int64_t> trimmed(static_cast<size_t>(rows) * count, 0);
  for (int32_t i = 0; i < rows; ++i) {
    for (int32_t j = 0; j < std::min(count, size); ++j) trimmed[i * count + j] = filter[i * size + j];
  }

  // Taps outside the picture given to its first or last row.
  for (int32_t i = 0; i < rows; ++i) {
    int64_t* f = &trimmed[static_cast<size_t>(i) * count];
    if (first[i] < 0) {
      for (int32_t j = 1; j < count; ++j) {
        const int32_t left = std::max(j + first[i], 0);
        f[left] += f[j];
        f[j] = 0;
      }
      first[i] = 0;
    }
    if (first[i] + count > sourceRows) {
      const int32_t shift = first[i] + std::min(count - sourceRows, 0);
      int64_t over = 0;
      for (int32_t j = count - 1; j >= 0; --j) {
        if (first[i] + j >= sourceRows) {
          over += f[j];
          f[j] = 0;
        }
      }
      for (int32_t j = count - 1; j >= 0; --j) f[j] = j < shift ? 0 : f[j - shift];
      first[i] -= shift;
      f[sourceRows - 1 - first[i]] += over;
    }
  }

  weights->assign(static_cast<size_t>(rows) * count, 0);
  for (int32_t i = 0; i < rows; ++i) {
    const int64_t* f = &trimmed[static_cast<size_t>(i) * count];
    int64_t sum = 0;
    for (int32_t j = 0; j < count; ++j) sum += f[j];
    sum = std::max<int64_t>((sum + 4096 / 2) / 4096, 1);
    int64_t error = 0;
    for (int32_t j = 0; j < count; ++j) {
      const int64_t v = f[j] + error;
      const int32_t weight = RoundedDiv(v, sum);
      (*weights)[i * count + j] = static_cast<int16_t>(weight);
      error = v - int64_t{weight} * sum;
    }
  }
  *taps = count;
}

// RGB pixels as opaque RGBA: four a byte shuffle where the processor has one, else one by one.
void RgbToRgbaFrom(int32_t x, const uint8_t* rgb, int32_t count, uint8_t* rgba) {
  for (; x < count; ++x) {
    std::memcpy(rgba + 4 * x, rgb + 3 * x, 3);
    rgba[4 * x + 3] = 255;
  }
}

__attribute__((target("ssse3"))) void RgbToRgbaShuffled(const uint8_t* rgb, int32_t count,
                                                       uint8_t* rgba) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  int32_t x = 0;
  for (; x + 6 <= count; x += 4) {  // 16 bytes read: five pixels and a third
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rgba + 4 * x),
                     _mm_or_si128(_mm_shuffle_epi8(pixels, spread), opaque));
  }
  RgbToRgbaFrom(x, rgb, count, rgba);
}

void RgbToRgba(const uint8_t* rgb, int32_t count, uint8_t* rgba) {
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles) return RgbToRgbaShuffled(rgb, count, rgba);
  RgbToRgbaFrom(0, rgb, count, rgba);
}

// Four dot products of pixels or pairs in each lane, each spread over two neighbouring 32-bit
// values, summed.
__attribute__((target("avx2"))) inline __m256i SumsAvx2(__m256i m0, __m256i m1) {
  const __m256 a = _mm256_castsi256_ps(m0), b = _mm256_castsi256_ps(m1);
  return _mm256_add_epi32(_mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                          _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
}

// Eight 32-bit values, lane after lane, as eight 16-bit ones in order.
__attribute__((target("avx2"))) inline __m128i NarrowAvx2(__m256i values) {
  return _mm_packs_epi32(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
}

// Eight pairs' chroma at 15 bits from their sums (pairs 0-1 | 2-3 and 4-5 | 6-7, which come out
// as 0, 1, 4, 5 | 2, 3, 6, 7 and are put in order).
__attribute__((target("avx2"))) inline __m128i ChromaAvx2(__m256i pairs0, __m256i pairs1,
                                                          __m256i k) {
  const __m256i at15 = _mm256_slli_epi32(
      _mm256_srai_epi32(
          _mm256_add_epi32(SumsAvx2(_mm256_madd_epi16(pairs0, k), _mm256_madd_epi16(pairs1, k)),
                           _mm256_set1_epi32(kChromaBias)),
          10),
      1);
  return NarrowAvx2(_mm256_permutevar8x32_epi32(at15, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7)));
}

// The source row's pixels 16 at a time while 16 remain, where the processor has AVX2, by the
// same arithmetic as SourceRow's: each 128-bit lane holds four neighbouring pixels, so the
// sums come out in order within a lane and the lanes are packed one after the other. Returns
// the pixels done.
__attribute__((target("avx2"))) int32_t SourcePixelsAvx2(const uint8_t* from, int32_t width,
                                                         uint8_t* luma, int16_t* u,
                                                         int16_t* v) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i half = _mm256_set1_epi16(128);
  const __m256i by257 = _mm256_set1_epi16(257);
  const __m256i alphas = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m128i blackLuma = _mm_set1_epi8(static_cast<char>(Luma(0, 0, 0)));
  const __m128i blackChroma = _mm_set1_epi16(Chroma(kRu, kGu, kBu, 0, 0, 0));
  const __m256i lumaK = _mm256_setr_epi16(kRy, kGy, kBy, 0, kRy, kGy, kBy, 0, kRy, kGy, kBy, 0,
                                          kRy, kGy, kBy, 0);
  const __m256i uK = _mm256_setr_epi16(kRu, kGu, kBu, 0, kRu, kGu, kBu, 0, kRu, kGu, kBu, 0,
                                       kRu, kGu, kBu, 0);
  const __m256i vK = _mm256_setr_epi16(kRv, kGv, kBv, 0, kRv, kGv, kBv, 0, kRv, kGv, kBv, 0,
                                       kRv, kGv, kBv, 0);
  const __m256i lumaBias = _mm256_set1_epi32(kLumaBias);
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 4 * x));
    const __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 4 * x + 32));
    const uint32_t opaque = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(p0, p1), alphas)));
    const uint32_t clear = static_cast<uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_or_si256(p0, p1), zero)));
    if ((clear & 0x88888888u) == 0x88888888u) {
      if (luma) _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x), blackLuma);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(u + x / 2), blackChroma);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(v + x / 2), blackChroma);
      continue;
    }
    // Lane by lane: pixels 0-1 | 4-5, 2-3 | 6-7, 8-9 | 12-13, 10-11 | 14-15.
    __m256i w[4] = {_mm256_unpacklo_epi8(p0, zero), _mm256_unpackhi_epi8(p0, zero),
                    _mm256_unpacklo_epi8(p1, zero), _mm256_unpackhi_epi8(p1, zero)};
    if ((opaque & 0x88888888u) != 0x88888888u) {
      for (__m256i& pixels : w) {
        const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pixels, 0xFF), 0xFF);
        pixels =
            _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(pixels, alpha), half), by257);
      }
    }
    if (luma) {
      const __m256i y0 = _mm256_srai_epi32(
          _mm256_add_epi32(
              SumsAvx2(_mm256_madd_epi16(w[0], lumaK), _mm256_madd_epi16(w[1], lumaK)), lumaBias),
          15);
      const __m256i y1 = _mm256_srai_epi32(
          _mm256_add_epi32(
              SumsAvx2(_mm256_madd_epi16(w[2], lumaK), _mm256_madd_epi16(w[3], lumaK)), lumaBias),
          15);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x),
                       _mm_packus_epi16(NarrowAvx2(y0), NarrowAvx2(y1)));
    }
    const __m256i pairs0 = _mm256_add_epi16(_mm256_unpacklo_epi64(w[0], w[1]),
                                            _mm256_unpackhi_epi64(w[0], w[1]));
    const __m256i pairs1 = _mm256_add_epi16(_mm256_unpacklo_epi64(w[2], w[3]),
                                            _mm256_unpackhi_epi64(w[2], w[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(u + x / 2), ChromaAvx2(pairs0, pairs1, uK));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(v + x / 2), ChromaAvx2(pairs0, pairs1, vK));
  }
  return x;
}

}  // namespace

YuvConversion::YuvConversion(int32_t width, int32_t height, int channels)
    : width_(width),
      height_(height),
      channels_(channels),
      evenWidth_(width + (width & 1)),
      evenHeight_(height + (height & 1)) {
  if (width < 1 || height < 1 || (channels != 3 && channels != 4)) {
    throw CliError("cannot convert frames of " + std::to_string(width) + "x" +
                   std::to_string(height) + " pixels to YUV");
  }
  HalvingTaps(evenHeight_, &taps_, &first_, &weights_);
}

size_t YuvConversion::PlanesSize() const {
  return static_cast<size_t>(evenWidth_) * evenHeight_ * 3 / 2;
}

// One source row (row `height_` is the black one below an odd frame; RGB is read through
// `rgba`, a row of its own): its luma into `luma` unless that is null, its chroma pairs at 15
// bits into u and v.
void YuvConversion::SourceRow(const uint8_t* samples, int32_t row, uint8_t* rgba, uint8_t* luma,
                              int16_t* u, int16_t* v) const {
  const int32_t pairs = evenWidth_ / 2;
  const uint8_t* from =
      row < height_ ? samples + static_cast<size_t>(row) * width_ * channels_ : nullptr;
  if (from && channels_ == 3) {
    RgbToRgba(from, width_, rgba);
    from = rgba;
  }
  int32_t x = 0;
  if (from) {
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) x = SourcePixelsAvx2(from, width_, luma, u, v);
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(128);
    const __m128i by257 = _mm_set1_epi16(257);
    const __m128i alphas = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m128i blackLuma = _mm_set1_epi8(static_cast<char>(Luma(0, 0, 0)));
    const __m128i blackChroma = _mm_set1_epi16(Chroma(kRu, kGu, kBu, 0, 0, 0));
    const __m128i lumaK = _mm_setr_epi16(kRy, kGy, kBy, 0, kRy, kGy, kBy, 0);
    const __m128i uK = _mm_setr_epi16(kRu, kGu, kBu, 0, kRu, kGu, kBu, 0);
    const __m128i vK = _mm_setr_epi16(kRv, kGv, kBv, 0, kRv, kGv, kBv, 0);
    const __m128i lumaBias = _mm_set1_epi32(kLumaBias);
    const __m128i chromaBias = _mm_set1_epi32(kChromaBias);
    // Four dot products of pixels or pairs, each spread over two neighbouring lanes, summed.
    const auto sums = [](__m128i m0, __m128i m1) {
      const __m128 a = _mm_castsi128_ps(m0), b = _mm_castsi128_ps(m1);
      return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                           _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
    };
    for (; x + 8 <= width_; x += 8) {
      const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * x));
      const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * x + 16));
      // Opaque pixels are their own weights, and transparent ones are black.
      const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(p0, p1), alphas));
      const int clear = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(p0, p1), zero));
      if ((clear & 0x8888) == 0x8888) {
        if (luma) _mm_storel_epi64(reinterpret_cast<__m128i*>(luma + x), blackLuma);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + x / 2), blackChroma);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + x / 2), blackChroma);
        continue;
      }
      __m128i w[4] = {_mm_unpacklo_epi8(p0, zero), _mm_unpackhi_epi8(p0, zero),
                      _mm_unpacklo_epi8(p1, zero), _mm_unpackhi_epi8(p1, zero)};
      if ((opaque & 0x8888) != 0x8888) {
        for (__m128i& pixels : w) {
          // round(c * a / 255) as ((c * a + 128) * 257) >> 16.
          const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, 0xFF), 0xFF);
          pixels = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(pixels, alpha), half), by257);
        }
      }
      if (luma) {
        const __m128i y0 = _mm_srai_epi32(
            _mm_add_epi32(sums(_mm_madd_epi16(w[0], lumaK), _mm_madd_epi16(w[1], lumaK)), lumaBias),
            15);
        const __m128i y1 = _mm_srai_epi32(
            _mm_add_epi32(sums(_mm_madd_epi16(w[2], lumaK), _mm_madd_epi16(w[3], lumaK)), lumaBias),
            15);
        const __m128i y = _mm_packs_epi32(y0, y1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(luma + x), _mm_packus_epi16(y, y));
      }
      const __m128i pairs0 =
          _mm_add_epi16(_mm_unpacklo_epi64(w[0], w[1]), _mm_unpackhi_epi64(w[0], w[1]));
      const __m128i pairs1 =
          _mm_add_epi16(_mm_unpacklo_epi64(w[2], w[3]), _mm_unpackhi_epi64(w[2], w[3]));
      const __m128i us = _mm_slli_epi32(
          _mm_srai_epi32(
              _mm_add_epi32(sums(_mm_madd_epi16(pairs0, uK), _mm_madd_epi16(pairs1, uK)), chromaBias),
              10),
          1);
      const __m128i vs = _mm_slli_epi32(
          _mm_srai_epi32(
              _mm_add_epi32(sums(_mm_madd_epi16(pairs0, vK), _mm_madd_epi16(pairs1, vK)), chromaBias),
              10),
          1);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(u + x / 2), _mm_packs_epi32(us, us));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(v + x / 2), _mm_packs_epi32(vs, vs));
    }
  }
  // The rest pixel by pixel, black past the frame's edge.
  for (int32_t pair = x / 2; pair < pairs; ++pair) {
    int32_t r = 0, g = 0, b = 0;
    for (int32_t at = 2 * pair; at < 2 * pair + 2; ++at) {
      int32_t rgb[3] = {};
      if (from && at < width_) {
        const uint8_t* p = from + static_cast<size_t>(at) * 4;
        for (int32_t ch = 0; ch < 3; ++ch) rgb[ch] = OverBlack(p[ch], p[3]);
      }
      if (luma) luma[at] = Luma(rgb[0], rgb[1], rgb[2]);
      r += rgb[0];
      g += rgb[1];
      b += rgb[2];
    }
    u[pair] = Chroma(kRu, kGu, kBu, r, g, b);
    v[pair] = Chroma(kRv, kGv, kBv, r, g, b);
  }
}

// One chroma row of one plane from its source rows (`rows`, taps_ of them). swscale's vector
// code sums each tap's product's top 16 bits on a bias that makes up for their truncation, and
// keeps 8 of the sum's 11 bits; its last row comes from its C code, rounded from the full sums.
void YuvConversion::ChromaRow(const int16_t* const* rows, int32_t chromaRow, uint8_t* out) const {
  const int32_t pairs = evenWidth_ / 2;
  const int16_t* weights = &weights_[static_cast<size_t>(chromaRow) * taps_];
  if (taps_ == 1) {
    for (int32_t x = 0; x < pairs; ++x) out[x] = ClipByte((rows[0][x] + 64) >> 7);
    return;
  }
  if (chromaRow == ChromaRows() - 1) {
    for (int32_t x = 0; x < pairs; ++x) {
      int32_t sum = 1 << 18;
      for (int32_t j = 0; j < taps_; ++j) sum += rows[j][x] * weights[j];
      out[x] = ClipByte(sum >> 19);
    }
    return;
  }
  const int16_t start = static_cast<int16_t>((64 + 8 * (taps_ - 1)) >> 4);
  __m128i k[kMostTaps];
  for (int32_t j = 0; j < taps_; ++j) k[j] = _mm_set1_epi16(weights[j]);
  int32_t x = 0;
  for (; x + 16 <= pairs; x += 16) {
    __m128i sum0 = _mm_set1_epi16(start), sum1 = sum0;
    for (int32_t j = 0; j < taps_; ++j) {
      const __m128i* s = reinterpret_cast<const __m128i*>(rows[j] + x);
      sum0 = _mm_add_epi16(sum0, _mm_mulhi_epi16(_mm_loadu_si128(s), k[j]));
      sum1 = _mm_add_epi16(sum1, _mm_mulhi_epi16(_mm_loadu_si128(s + 1), k[j]));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     _mm_packus_epi16(_mm_srai_epi16(sum0, 3), _mm_srai_epi16(sum1, 3)));
  }
  for (; x < pairs; ++x) {
    int32_t sum = start;
    for (int32_t j = 0; j < taps_; ++j) sum += (rows[j][x] * weights[j]) >> 16;
    out[x] = ClipByte(static_cast<int16_t>(sum) >> 3);
  }
}

void YuvConversion::ConvertRows(const uint8_t* samples, int32_t first, int32_t end,
                                uint8_t* planes) const {
  if (first >= end) return;
  const int32_t pairs = evenWidth_ / 2;
  const size_t lumaSize = static_cast<size_t>(evenWidth_) * evenHeight_;
  uint8_t* const planeU = planes + lumaSize;
  uint8_t* const planeV = planeU + lumaSize / 4;
  // The chroma source rows in flight, in a ring as deep as the taps reach.
  int32_t depth = 1;
  while (depth < taps_) depth *= 2;
  std::vector<int16_t> ring(static_cast<size_t>(depth) * 2 * pairs);
  const auto ringRow = [&](int32_t row, int plane) {
    return &ring[(static_cast<size_t>(row & (depth - 1)) * 2 + plane) * pairs];
  };
  std::vector<int16_t> spare(2 * static_cast<size_t>(pairs));  // chroma of rows not filtered
  std::vector<uint8_t> rgba(channels_ == 3 ? static_cast<size_t>(width_) * 4 : 0);

  const int32_t lumaFirst = 2 * first, lumaEnd = 2 * end;
  const int32_t chromaFirst = first_[first], chromaEnd = first_[end - 1] + taps_;
  const int32_t from = std::min(lumaFirst, chromaFirst);
  const int32_t to = std::max(lumaEnd, chromaEnd);
  std::vector<const int16_t*> taps(taps_);
  int32_t next = first;  // the next chroma row to give
  for (int32_t row = from; row < to; ++row) {
    uint8_t* luma = row >= lumaFirst && row < lumaEnd
                        ? planes + static_cast<size_t>(row) * evenWidth_
                        : nullptr;
    const bool filtered = row >= chromaFirst && row < chromaEnd;
    if (!luma && !filtered) continue;
    int16_t* u = filtered ? ringRow(row, 0) : spare.data();
    int16_t* v = filtered ? ringRow(row, 1) : spare.data() + pairs;
    SourceRow(samples, row, rgba.data(), luma, u, v);
    while (next < end && first_[next] + taps_ - 1 <= row) {
      for (int plane = 0; plane < 2; ++plane) {
        for (int32_t j = 0; j < taps_; ++j) taps[j] = ringRow(first_[next] + j, plane);
        ChromaRow(taps.data(), next,
                  (plane == 0 ? planeU : planeV) + static_cast<size_t>(next) * pairs);
      }
      ++next;
    }
  }
}
