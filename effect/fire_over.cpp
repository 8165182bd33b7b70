// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/fire_over.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effect/fire_pixels.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are read as little-endian words");

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;  // RGBA bytes 0, 0, 0, 255 as a word

// The fire's pixels of one row as RGBA words: each heat's colour from a table.
struct HeatRow {
  const uint8_t* heat;
  const uint32_t* colours;
  uint32_t At(int32_t x) const { return colours[heat[x]]; }
#if defined(__SSE2__)
  __m128i Four(int32_t x) const {
    return _mm_setr_epi32(static_cast<int>(At(x)), static_cast<int>(At(x + 1)),
                          static_cast<int>(At(x + 2)), static_cast<int>(At(x + 3)));
  }
#endif
};

// ... or as they lie, coloured elsewhere.
struct RgbaRow {
  const uint8_t* rgba;
  uint32_t At(int32_t x) const {
    uint32_t word;
    std::memcpy(&word, rgba + 4 * x, 4);
    return word;
  }
#if defined(__SSE2__)
  __m128i Four(int32_t x) const {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 4 * x));
  }
#endif
};

// Where the pixels go, and what lies under them (null: opaque black).
struct OverRowTarget {
  const uint8_t* source;
  PixelLayout sourceLayout;
  uint8_t* out;
  PixelLayout outLayout;
};

// Up to four pixels by the rule itself, the source straightened as the fire reads it.
template <typename FireRow>
void OverByRule(const FireRow& fire, const OverRowTarget& at, int32_t x, int32_t count) {
  FlamePixel under[4];
  if (at.source) {
    ReadSourceRow(ConstPixelView{at.source + 4 * x, 16, count, 1, at.sourceLayout}, 0, under);
  } else {
    for (int32_t i = 0; i < count; ++i) under[i] = FlamePixel{255, 0, 0, 0};
  }
  const int32_t bytes = PixelBytes(at.outLayout);
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t word = fire.At(x + i);
    const uint32_t f[3] = {word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF};
    const uint32_t fa = word >> 24;
    const FlamePixel& s = under[i];
    const uint32_t sc[3] = {s.red, s.green, s.blue};
    const uint32_t fireWeight = fa * 255, sourceWeight = s.alpha * (255 - fa);
    const uint32_t total = fireWeight + sourceWeight;
    uint8_t c[3] = {0, 0, 0};
    for (int k = 0; total != 0 && k < 3; ++k) {
      c[k] = static_cast<uint8_t>((f[k] * fireWeight + sc[k] * sourceWeight + total / 2) / total);
    }
    PutPixel(at.outLayout, FlamePixel{static_cast<uint8_t>((total + 127) / 255), c[0], c[1], c[2]},
             at.out + static_cast<ptrdiff_t>(x + i) * bytes);
  }
}

#if defined(__SSE2__)
// round(v / 255) in 16-bit lanes, for v up to 255 × 255, without a division.
inline __m128i DivideBy255(__m128i v) {
  v = _mm_add_epi16(v, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
}

inline __m128i AlphaEach(__m128i v) {
  constexpr int kAlpha = _MM_SHUFFLE(3, 3, 3, 3);
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, kAlpha), kAlpha);
}

// Two pixels of fire over two of an opaque source, in 16-bit lanes. Over an opaque source the
// rule's colour is round((f × fa + s × (255 − fa)) / 255), and its alpha 255.
inline __m128i BlendedTwo(__m128i f, __m128i s) {
  const __m128i fa = AlphaEach(f);
  const __m128i sa = _mm_sub_epi16(_mm_set1_epi16(255), fa);
  const __m128i opaque = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
  return _mm_or_si128(
      DivideBy255(_mm_add_epi16(_mm_mullo_epi16(f, fa), _mm_mullo_epi16(s, sa))), opaque);
}

inline __m128i Blended(__m128i fire, __m128i source) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = BlendedTwo(_mm_unpacklo_epi8(fire, zero), _mm_unpacklo_epi8(source, zero));
  const __m128i high = BlendedTwo(_mm_unpackhi_epi8(fire, zero), _mm_unpackhi_epi8(source, zero));
  return _mm_packus_epi16(low, high);
}

// Whether four RGBA pixels' alphas are all `alpha`.
inline bool AlphasAre(__m128i v, uint32_t alpha) {
  const __m128i mask = _mm_set1_epi32(static_cast<int>(kOpaqueBlack));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(v, mask),
                                           _mm_set1_epi32(static_cast<int>(alpha << 24)))) ==
         0xFFFF;
}

// Four opaque RGBA pixels as `kBytes` bytes each: as they are, or their red, green and blue
// (opaque, they need no weighting).
template <int kBytes>
inline void StoreFour(__m128i v, uint8_t* to) {
  if (kBytes == 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), v);
    return;
  }
  // Each half's two pixels into its low six bytes, then the halves side by side.
  const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
  const __m128i second = _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0);
  const __m128i halves = _mm_or_si128(_mm_and_si128(v, first),
                                      _mm_srli_epi64(_mm_and_si128(v, second), 8));
  const __m128i low = _mm_set_epi32(0, 0, -1, -1);
  const __m128i packed = _mm_or_si128(_mm_and_si128(halves, low),
                                      _mm_srli_si128(_mm_andnot_si128(low, halves), 2));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to), packed);
  const int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
  std::memcpy(to + 8, &last, 4);
}
#endif

// One row of `count` pixels. Four at a time over an opaque source: where the fire is clear
// the source shows as it is (premultiplied or not, an opaque pixel is its own straight
// colour), where it is opaque the fire does, and between them the two blend. Any other four
// go by the rule.
template <int kBytes, typename FireRow>
void OverRow(const FireRow& fire, const OverRowTarget& at, int32_t count) {
  int32_t x = 0;
#if defined(__SSE2__)
  for (; x + 4 <= count; x += 4) {
    const __m128i under =
        at.source ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(at.source + 4 * x))
                  : _mm_set1_epi32(static_cast<int>(kOpaqueBlack));
    if (!AlphasAre(under, 255)) {
      OverByRule(fire, at, x, 4);
      continue;
    }
    const __m128i over = fire.Four(x);
    uint8_t* const to = at.out + static_cast<ptrdiff_t>(x) * kBytes;
    if (AlphasAre(over, 0)) {
      StoreFour<kBytes>(under, to);
    } else if (AlphasAre(over, 255)) {
      StoreFour<kBytes>(over, to);
    } else {
      StoreFour<kBytes>(Blended(over, under), to);
    }
  }
#endif
  for (; x < count; x += 4) OverByRule(fire, at, x, count - x < 4 ? count - x : 4);
}

template <typename FireRow>
void OverRowIn(const FireRow& fire, const OverRowTarget& at, int32_t count) {
  if (PixelBytes(at.outLayout) == 3) {
    OverRow<3>(fire, at, count);
  } else {
    OverRow<4>(fire, at, count);
  }
}

// The source's row y, where there is a source of the output's size.
const uint8_t* SourceRow(const ConstPixelView& source, const PixelView& output, int32_t y) {
  const bool fits = !source.Empty() && source.width == output.width &&
                    source.height == output.height;
  return fits ? source.Row(y) : nullptr;
}

}  // namespace

bool LaysOver(const ConstPixelView& source, const PixelView& output) {
  const PixelLayout in = source.layout, out = output.layout;
  return (source.Empty() || in == PixelLayout::kRgba || in == PixelLayout::kRgbaPremultiplied) &&
         (out == PixelLayout::kRgba || out == PixelLayout::kRgbaPremultiplied ||
          out == PixelLayout::kRgbWeighted);
}

void ColourHeatOver(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const ConstPixelView& source, const PixelView& output) {
  if (output.Empty() || !LaysOver(source, output)) return;
  uint32_t words[256];
  for (int h = 0; h < 256; ++h) PutPixel(PixelLayout::kRgba, colours[h],
                                         reinterpret_cast<uint8_t*>(&words[h]));
  static const uint32_t kClear[256] = {};
  for (int32_t y = 0; y < output.height; ++y) {
    const HeatRow fire{field + static_cast<ptrdiff_t>(y) * stride, y == 0 ? kClear : words};
    OverRowIn(fire, {SourceRow(source, output, y), source.layout, output.Row(y), output.layout},
              output.width);
  }
}

void LayOver(const ConstPixelView& fire, const ConstPixelView& source, const PixelView& output) {
  if (output.Empty() || !LaysOver(source, output) || fire.width != output.width ||
      fire.height != output.height) {
    return;
  }
  for (int32_t y = 0; y < output.height; ++y) {
    OverRowIn(RgbaRow{fire.Row(y)},
              {SourceRow(source, output, y), source.layout, output.Row(y), output.layout},
              output.width);
  }
}

void RgbOverBlack(const uint8_t* rgba, int32_t count, uint8_t* rgb) {
  OverRow<3>(RgbaRow{rgba}, {nullptr, PixelLayout::kRgba, rgb, PixelLayout::kRgbWeighted},
             count);
}
