// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/fast/fast_row_kernels.h"

#include "flame/fast/vector_support.h"

namespace {

inline uint8_t SumFourCell(uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                           const FlameCooling* cooling) {
  const int last = cooling ? CoolCell(d, *cooling) : d;
  return static_cast<uint8_t>((a + b + c + last) >> 2);
}

#if FLAME_HAVE_SSE2

struct Cooling16 {
  __m128i height, soot, loss;
  explicit Cooling16(const FlameCooling& c)
      : height(_mm_set1_epi8(static_cast<char>(c.height))),
        soot(_mm_set1_epi8(static_cast<char>(c.soot))),
        loss(_mm_set1_epi8(static_cast<char>(c.jitterLoss))) {}
};

// Unsigned "v > limit" is "v - limit, saturated, is not 0". A cell above height becomes
// v - height, which is that saturated difference itself; the others lose the jitter loss
// when above soot.
inline __m128i Cool16(__m128i v, const Cooling16& k) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i aboveHeight = _mm_subs_epu8(v, k.height);
  const __m128i notAboveHeight = _mm_cmpeq_epi8(aboveHeight, zero);
  const __m128i notAboveSoot = _mm_cmpeq_epi8(_mm_subs_epu8(v, k.soot), zero);
  const __m128i low = _mm_sub_epi8(v, _mm_andnot_si128(notAboveSoot, k.loss));
  return _mm_or_si128(_mm_and_si128(notAboveHeight, low), aboveHeight);
}

// (a + b + c + d) >> 2 per byte, without widening. With the floor average of two bytes,
// fl(x, y) = avg(x, y) - ((x ^ y) & 1) (avg rounds up), p = fl(a, b) and q = fl(c, d):
// the sum is 2p + 2q + (a ^ b & 1) + (c ^ d & 1), so its quarter is avg(p, q) when both
// halves had a remainder and fl(p, q) otherwise. (Checked for all 2^32 inputs.)
inline __m128i SumFour16(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i one = _mm_set1_epi8(1);
  const __m128i ab = _mm_xor_si128(a, b), cd = _mm_xor_si128(c, d);
  const __m128i p = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(ab, one));
  const __m128i q = _mm_sub_epi8(_mm_avg_epu8(c, d), _mm_and_si128(cd, one));
  const __m128i roundDown =
      _mm_and_si128(_mm_andnot_si128(_mm_and_si128(ab, cd), _mm_xor_si128(p, q)), one);
  return _mm_sub_epi8(_mm_avg_epu8(p, q), roundDown);
}

inline __m128i Load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store16(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <bool kCool>
inline void SumFourBlock16(uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                           const uint8_t* d, int k, const Cooling16& cooling) {
  __m128i last = Load16(d + k);
  if (kCool) last = Cool16(last, cooling);
  const __m128i sum = SumFour16(Load16(a + k), Load16(b + k), Load16(c + k), last);
  Store16(dst + k, sum);
}

inline __m128i Seed16(__m128i field, __m128i mask) {
  return _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(mask, _mm_setzero_si128()), field), mask);
}

inline __m128i Overlay16(__m128i field, __m128i drops) {
  const __m128i notAbove = _mm_cmpeq_epi8(_mm_subs_epu8(drops, _mm_set1_epi8(20)),
                                          _mm_setzero_si128());
  return _mm_or_si128(_mm_and_si128(notAbove, field), _mm_andnot_si128(notAbove, drops));
}

// The seeding and the overlay of 16 cells whose direction-pass values are f.
template <int kCovers, bool kOverlay>
inline __m128i Finish16(__m128i f, const uint8_t* mask, const uint8_t* first,
                        const uint8_t* second, const uint8_t* drops, int k) {
  const __m128i zero = _mm_setzero_si128();
  if (kCovers > 0) {
    __m128i cover = Load16(first + k);
    if (kCovers > 1) cover = _mm_or_si128(cover, Load16(second + k));
    const __m128i m = Load16(mask + k);
    const __m128i take = _mm_andnot_si128(_mm_cmpeq_epi8(m, zero), cover);
    f = _mm_or_si128(_mm_andnot_si128(take, f), _mm_and_si128(take, m));
  }
  if (kOverlay) f = Overlay16(f, Load16(drops + k));
  return f;
}

#endif  // FLAME_HAVE_SSE2

#if FLAME_HAVE_AVX2

struct Cooling32 {
  __m256i height, soot, loss;
};

FLAME_AVX2 inline Cooling32 MakeCooling32(const FlameCooling& c) {
  return {_mm256_set1_epi8(static_cast<char>(c.height)), _mm256_set1_epi8(static_cast<char>(c.soot)),
          _mm256_set1_epi8(static_cast<char>(c.jitterLoss))};
}

FLAME_AVX2 inline __m256i Cool32(__m256i v, const Cooling32& k) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i aboveHeight = _mm256_subs_epu8(v, k.height);
  const __m256i notAboveHeight = _mm256_cmpeq_epi8(aboveHeight, zero);
  const __m256i notAboveSoot = _mm256_cmpeq_epi8(_mm256_subs_epu8(v, k.soot), zero);
  const __m256i low = _mm256_sub_epi8(v, _mm256_andnot_si256(notAboveSoot, k.loss));
  return _mm256_or_si256(_mm256_and_si256(notAboveHeight, low), aboveHeight);
}

// As SumFour16.
FLAME_AVX2 inline __m256i SumFour32(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i one = _mm256_set1_epi8(1);
  const __m256i ab = _mm256_xor_si256(a, b), cd = _mm256_xor_si256(c, d);
  const __m256i p = _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(ab, one));
  const __m256i q = _mm256_sub_epi8(_mm256_avg_epu8(c, d), _mm256_and_si256(cd, one));
  const __m256i roundDown = _mm256_and_si256(
      _mm256_andnot_si256(_mm256_and_si256(ab, cd), _mm256_xor_si256(p, q)), one);
  return _mm256_sub_epi8(_mm256_avg_epu8(p, q), roundDown);
}

FLAME_AVX2 inline __m256i Load32(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
FLAME_AVX2 inline void Store32(uint8_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

template <bool kCool>
FLAME_AVX2 int SumFourForward32(uint8_t* dst, const uint8_t* a, const uint8_t* b,
                                const uint8_t* c, const uint8_t* d, int n,
                                const FlameCooling& cooling) {
  const Cooling32 k32 = MakeCooling32(cooling);
  int k = 0;
  for (; k + 32 <= n; k += 32) {
    __m256i last = Load32(d + k);
    if (kCool) last = Cool32(last, k32);
    Store32(dst + k, SumFour32(Load32(a + k), Load32(b + k), Load32(c + k), last));
  }
  return k;
}

template <bool kCool>
FLAME_AVX2 int SumFourBackward32(uint8_t* dst, const uint8_t* a, const uint8_t* b,
                                 const uint8_t* c, const uint8_t* d, int n,
                                 const FlameCooling& cooling) {
  const Cooling32 k32 = MakeCooling32(cooling);
  int k = n;
  while (k >= 32) {
    k -= 32;
    __m256i last = Load32(d + k);
    if (kCool) last = Cool32(last, k32);
    Store32(dst + k, SumFour32(Load32(a + k), Load32(b + k), Load32(c + k), last));
  }
  return k;
}

FLAME_AVX2 int CoolRun32(uint8_t* cells, int n, const FlameCooling& cooling) {
  const Cooling32 k32 = MakeCooling32(cooling);
  int k = 0;
  for (; k + 32 <= n; k += 32) Store32(cells + k, Cool32(Load32(cells + k), k32));
  return k;
}

FLAME_AVX2 inline __m256i Seed32(__m256i field, __m256i mask) {
  return _mm256_or_si256(
      _mm256_and_si256(_mm256_cmpeq_epi8(mask, _mm256_setzero_si256()), field), mask);
}

// Runs of 32 or more: whole blocks, then one last block that ends at the run's end.
FLAME_AVX2 void SeedRun32(uint8_t* field, const uint8_t* mask, int n) {
  int k = 0;
  for (; k + 32 <= n; k += 32) Store32(field + k, Seed32(Load32(field + k), Load32(mask + k)));
  if (k < n) {
    k = n - 32;
    Store32(field + k, Seed32(Load32(field + k), Load32(mask + k)));
  }
}

FLAME_AVX2 long OverlayRun32(uint8_t* field, const uint8_t* drops, long n) {
  const __m256i twenty = _mm256_set1_epi8(20);
  const __m256i zero = _mm256_setzero_si256();
  long k = 0;
  for (; k + 32 <= n; k += 32) {
    const __m256i d = Load32(drops + k);
    const __m256i notAbove = _mm256_cmpeq_epi8(_mm256_subs_epu8(d, twenty), zero);
    const __m256i f = Load32(field + k);
    Store32(field + k,
            _mm256_or_si256(_mm256_and_si256(notAbove, f), _mm256_andnot_si256(notAbove, d)));
  }
  return k;
}

// The seeding and the overlay of 32 cells whose direction-pass values are f.
template <int kCovers, bool kOverlay>
FLAME_AVX2 inline __m256i Finish32(__m256i f, const uint8_t* mask, const uint8_t* first,
                                   const uint8_t* second, const uint8_t* drops, int k) {
  const __m256i zero = _mm256_setzero_si256();
  if (kCovers > 0) {
    __m256i cover = Load32(first + k);
    if (kCovers > 1) cover = _mm256_or_si256(cover, Load32(second + k));
    const __m256i m = Load32(mask + k);
    f = _mm256_blendv_epi8(f, m, _mm256_andnot_si256(_mm256_cmpeq_epi8(m, zero), cover));
  }
  if (kOverlay) {
    const __m256i d = Load32(drops + k);
    const __m256i notAbove = _mm256_cmpeq_epi8(_mm256_subs_epu8(d, _mm256_set1_epi8(20)), zero);
    f = _mm256_blendv_epi8(d, f, notAbove);
  }
  return f;
}

template <int kCovers, bool kOverlay>
FLAME_AVX2 int FinishRun32(uint8_t* field, const uint8_t* mask, const uint8_t* first,
                           const uint8_t* second, const uint8_t* drops, int n) {
  int k = 0;
  for (; k + 32 <= n; k += 32) {
    Store32(field + k, Finish32<kCovers, kOverlay>(Load32(field + k), mask, first, second, drops, k));
  }
  return k;
}

template <int kCovers, bool kOverlay>
FLAME_AVX2 int SumFourFinishForward32(uint8_t* dst, const uint8_t* a, const uint8_t* b,
                                      const uint8_t* c, const uint8_t* d, int n,
                                      const FlameCooling& cooling, const uint8_t* mask,
                                      const uint8_t* first, const uint8_t* second,
                                      const uint8_t* drops) {
  const Cooling32 k32 = MakeCooling32(cooling);
  int k = 0;
  for (; k + 32 <= n; k += 32) {
    const __m256i sum =
        SumFour32(Load32(a + k), Load32(b + k), Load32(c + k), Cool32(Load32(d + k), k32));
    Store32(dst + k, Finish32<kCovers, kOverlay>(sum, mask, first, second, drops, k));
  }
  return k;
}

bool DetectAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}

const bool kProcessorHasAvx2 = DetectAvx2();

#else

constexpr bool kProcessorHasAvx2 = false;

#endif  // FLAME_HAVE_AVX2

template <bool kCool>
void SumFourForwardImpl([[maybe_unused]] RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                        const uint8_t* d, int n, const FlameCooling* cooling) {
  int k = 0;
  const FlameCooling none{255, 255, 0};
  const FlameCooling& rule = cooling ? *cooling : none;
#if FLAME_HAVE_AVX2
  if (v.wide) k = SumFourForward32<kCool>(dst, a, b, c, d, n, rule);
#endif
#if FLAME_HAVE_SSE2
  const Cooling16 k16(rule);
  for (; k + 16 <= n; k += 16) SumFourBlock16<kCool>(dst, a, b, c, d, k, k16);
#endif
  for (; k < n; ++k) dst[k] = SumFourCell(a[k], b[k], c[k], d[k], cooling);
}

template <bool kCool>
void SumFourBackwardImpl([[maybe_unused]] RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                         const uint8_t* d, int n, const FlameCooling* cooling) {
  int k = n;
  const FlameCooling none{255, 255, 0};
  const FlameCooling& rule = cooling ? *cooling : none;
#if FLAME_HAVE_AVX2
  if (v.wide) k = SumFourBackward32<kCool>(dst, a, b, c, d, n, rule);
#endif
#if FLAME_HAVE_SSE2
  const Cooling16 k16(rule);
  while (k >= 16) {
    k -= 16;
    SumFourBlock16<kCool>(dst, a, b, c, d, k, k16);
  }
#endif
  while (k > 0) {
    --k;
    dst[k] = SumFourCell(a[k], b[k], c[k], d[k], cooling);
  }
}

template <int kCovers, bool kOverlay>
inline uint8_t FinishCell(uint8_t v, const uint8_t* mask, const uint8_t* first,
                          const uint8_t* second, const uint8_t* drops, int k) {
  if (kCovers > 0) {
    const bool covered = first[k] != 0 || (kCovers > 1 && second[k] != 0);
    if (covered && mask[k] != 0) v = mask[k];
  }
  if (kOverlay && drops[k] > 20) v = drops[k];
  return v;
}

template <int kCovers, bool kOverlay>
void FinishRunImpl([[maybe_unused]] RowVectors v, uint8_t* field, const uint8_t* mask, const uint8_t* first,
                   const uint8_t* second, const uint8_t* drops, int n) {
  int k = 0;
#if FLAME_HAVE_AVX2
  if (v.wide) k = FinishRun32<kCovers, kOverlay>(field, mask, first, second, drops, n);
#endif
#if FLAME_HAVE_SSE2
  for (; k + 16 <= n; k += 16) {
    Store16(field + k,
            Finish16<kCovers, kOverlay>(Load16(field + k), mask, first, second, drops, k));
  }
#endif
  for (; k < n; ++k) field[k] = FinishCell<kCovers, kOverlay>(field[k], mask, first, second, drops, k);
}

template <int kCovers, bool kOverlay>
void SumFourFinishImpl([[maybe_unused]] RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                       const uint8_t* d, int n, const FlameCooling& cooling,
                       const uint8_t* mask, const uint8_t* first, const uint8_t* second,
                       const uint8_t* drops) {
  int k = 0;
#if FLAME_HAVE_AVX2
  if (v.wide) {
    k = SumFourFinishForward32<kCovers, kOverlay>(dst, a, b, c, d, n, cooling, mask, first,
                                                  second, drops);
  }
#endif
#if FLAME_HAVE_SSE2
  const Cooling16 k16(cooling);
  for (; k + 16 <= n; k += 16) {
    const __m128i sum =
        SumFour16(Load16(a + k), Load16(b + k), Load16(c + k), Cool16(Load16(d + k), k16));
    Store16(dst + k, Finish16<kCovers, kOverlay>(sum, mask, first, second, drops, k));
  }
#endif
  for (; k < n; ++k) {
    dst[k] = FinishCell<kCovers, kOverlay>(SumFourCell(a[k], b[k], c[k], d[k], &cooling), mask,
                                           first, second, drops, k);
  }
}

// Calls impl<kCovers, kOverlay> for the covers and drops given.
#define FLAME_DISPATCH_FINISH(impl, ...)                \
  do {                                                  \
    if (drops) {                                        \
      if (!first) {                                     \
        impl<0, true>(__VA_ARGS__);                     \
      } else if (!second) {                             \
        impl<1, true>(__VA_ARGS__);                     \
      } else {                                          \
        impl<2, true>(__VA_ARGS__);                     \
      }                                                 \
    } else if (first) {                                 \
      if (!second) {                                    \
        impl<1, false>(__VA_ARGS__);                    \
      } else {                                          \
        impl<2, false>(__VA_ARGS__);                    \
      }                                                 \
    } else {                                            \
      impl<0, false>(__VA_ARGS__);                      \
    }                                                   \
  } while (false)

}  // namespace

void SumFourForward([[maybe_unused]] RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                    const uint8_t* d, int n, const FlameCooling* cooling) {
  if (cooling) {
    SumFourForwardImpl<true>(v, dst, a, b, c, d, n, cooling);
  } else {
    SumFourForwardImpl<false>(v, dst, a, b, c, d, n, cooling);
  }
}

void SumFourBackward([[maybe_unused]] RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                     const uint8_t* d, int n, const FlameCooling* cooling) {
  if (cooling) {
    SumFourBackwardImpl<true>(v, dst, a, b, c, d, n, cooling);
  } else {
    SumFourBackwardImpl<false>(v, dst, a, b, c, d, n, cooling);
  }
}

void CoolRun([[maybe_unused]] RowVectors v, uint8_t* cells, int n, const FlameCooling& cooling) {
  int k = 0;
#if FLAME_HAVE_AVX2
  if (v.wide) k = CoolRun32(cells, n, cooling);
#endif
#if FLAME_HAVE_SSE2
  const Cooling16 k16(cooling);
  for (; k + 16 <= n; k += 16) Store16(cells + k, Cool16(Load16(cells + k), k16));
#endif
  for (; k < n; ++k) cells[k] = CoolCell(cells[k], cooling);
}

void SeedRun([[maybe_unused]] RowVectors v, uint8_t* field, const uint8_t* mask, int n) {
#if FLAME_HAVE_AVX2
  if (v.wide && n >= 32) {
    SeedRun32(field, mask, n);
    return;
  }
#endif
#if FLAME_HAVE_SSE2
  if (n >= 16) {
    int k = 0;
    for (; k + 16 <= n; k += 16) Store16(field + k, Seed16(Load16(field + k), Load16(mask + k)));
    if (k < n) {
      k = n - 16;  // the last block ends at the run's end; seeding a cell twice is harmless
      Store16(field + k, Seed16(Load16(field + k), Load16(mask + k)));
    }
    return;
  }
#endif
  for (int k = 0; k < n; ++k) {
    if (mask[k]) field[k] = mask[k];
  }
}

void OverlayRun([[maybe_unused]] RowVectors v, uint8_t* field, const uint8_t* drops, long n) {
  long k = 0;
#if FLAME_HAVE_AVX2
  if (v.wide) k = OverlayRun32(field, drops, n);
#endif
#if FLAME_HAVE_SSE2
  for (; k + 16 <= n; k += 16) Store16(field + k, Overlay16(Load16(field + k), Load16(drops + k)));
#endif
  for (; k < n; ++k) {
    if (drops[k] > 20) field[k] = drops[k];
  }
}

void FinishRun([[maybe_unused]] RowVectors v, uint8_t* field, const uint8_t* mask, const uint8_t* first, const uint8_t* second,
               const uint8_t* drops, int n) {
  if (!first && !drops) return;
  FLAME_DISPATCH_FINISH(FinishRunImpl, v, field, mask, first, second, drops, n);
}

void SumFourFinishForward([[maybe_unused]] RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                          const uint8_t* d, int n, const FlameCooling& cooling,
                          const uint8_t* mask, const uint8_t* first, const uint8_t* second,
                          const uint8_t* drops) {
  FLAME_DISPATCH_FINISH(SumFourFinishImpl, v, dst, a, b, c, d, n, cooling, mask, first, second,
                        drops);
}

uint8_t FinishOne(uint8_t v, const uint8_t* mask, const uint8_t* first, const uint8_t* second,
                  const uint8_t* drops) {
  if (first && (first[0] != 0 || (second && second[0] != 0)) && mask[0] != 0) v = mask[0];
  if (drops && drops[0] > 20) v = drops[0];
  return v;
}

void PrefetchRun(const uint8_t* p, int n) {
#if FLAME_HAVE_SSE2
  for (int k = 0; k < n; k += 64) _mm_prefetch(reinterpret_cast<const char*>(p + k), _MM_HINT_T0);
#else
  (void)p;
  (void)n;
#endif
}

bool ProcessorHasAvx2() { return kProcessorHasAvx2; }
