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

// What sixteen pixels of fire are: all opaque (the source is not read), all clear, or
// anything.
enum class FireBlock { kOpaque, kClear, kMixed };

// Over an opaque source the rule's colour is round((f × fa + s × (255 − fa)) / 255), and its
// alpha 255. round(v / 255) for v up to 255 × 255 is (v + 128) × 257 / 65536, exact there: in
// 16-bit lanes, the fire's share f × fa + 128 (255 × 255 + 128 in alpha's lane) and the
// source's weight 255 − fa (0 in alpha's lane).
constexpr uint16_t kHalf = 128;
constexpr uint16_t kOpaqueShare = 255 * 255 + kHalf;

#if defined(__SSE2__)
// Two pixels' weights each.
struct FireWeights {
  __m128i share;
  __m128i under;
};

// Two pixels of fire over two of an opaque source (16-bit lanes).
inline __m128i OverTwo(const FireWeights& fire, __m128i source) {
  return _mm_mulhi_epu16(_mm_add_epi16(fire.share, _mm_mullo_epi16(source, fire.under)),
                         _mm_set1_epi16(257));
}

// Two four-lane weights as one vector.
inline __m128i WeightsOfTwo(const uint16_t* first, const uint16_t* second) {
  return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)),
                            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(second)));
}
#endif

// A run of heats whose colours are all of one alpha: a block of sixteen heats within it is
// told by its least and greatest heat.
struct HeatRun {
  int low = 1, high = 0;  // empty: no heat is at least 1 and at most 0
#if defined(__SSE2__)
  __m128i least, most;  // low and high in every byte
  bool Holds(__m128i heats) const {
    const __m128i within = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(heats, least), heats),
                                         _mm_cmpeq_epi8(_mm_min_epu8(heats, most), heats));
    return _mm_movemask_epi8(within) == 0xFFFF;
  }
#endif
};

// Each heat's colour as the over takes it.
struct HeatColours {
  uint32_t words[256];  // RGBA bytes read as a little-endian word
  // Its share and its source's weight, red, green, blue and alpha (FireWeights).
  uint16_t share[256][4], under[256][4];
  HeatRun opaque, clear;  // the longest runs of opaque and of clear colours
};

HeatRun LongestRun(const uint32_t words[256], uint32_t alpha) {
  HeatRun longest;
  for (int h = 0; h < 256;) {
    int end = h;
    while (end < 256 && words[end] >> 24 == alpha) ++end;
    if (end - h > longest.high - longest.low + 1) {
      longest.low = h;
      longest.high = end - 1;
    }
    h = end > h ? end : h + 1;
  }
#if defined(__SSE2__)
  longest.least = _mm_set1_epi8(static_cast<char>(longest.low));
  longest.most = _mm_set1_epi8(static_cast<char>(longest.high));
#endif
  return longest;
}

void MakeHeatColours(const FlamePixel colours[256], HeatColours* into) {
  for (int h = 0; h < 256; ++h) {
    const FlamePixel& c = colours[h];
    PutPixel(PixelLayout::kRgba, c, reinterpret_cast<uint8_t*>(&into->words[h]));
    const uint16_t fa = c.alpha, under = static_cast<uint16_t>(255 - fa);
    const uint16_t share[4] = {static_cast<uint16_t>(c.red * fa + kHalf),
                               static_cast<uint16_t>(c.green * fa + kHalf),
                               static_cast<uint16_t>(c.blue * fa + kHalf), kOpaqueShare};
    const uint16_t weights[4] = {under, under, under, 0};
    std::memcpy(into->share[h], share, sizeof share);
    std::memcpy(into->under[h], weights, sizeof weights);
  }
  into->opaque = LongestRun(into->words, 255);
  into->clear = LongestRun(into->words, 0);
}

// The fire's pixels of one row: each heat's colour from a table.
struct HeatRow {
  const uint8_t* heat;
  const HeatColours* colours;
  uint32_t At(int32_t x) const { return colours->words[heat[x]]; }
#if defined(__SSE2__)
  __m128i Four(int32_t x) const {
    return _mm_setr_epi32(static_cast<int>(At(x)), static_cast<int>(At(x + 1)),
                          static_cast<int>(At(x + 2)), static_cast<int>(At(x + 3)));
  }
  FireWeights Two(int32_t x) const {
    const uint8_t a = heat[x], b = heat[x + 1];
    return {WeightsOfTwo(colours->share[a], colours->share[b]),
            WeightsOfTwo(colours->under[a], colours->under[b])};
  }
  // What each block of sixteen is, told by runs the caller holds in its registers (read from
  // the table, they would be read again after every store of the output's).
  struct Blocks {
    const uint8_t* heat;
    HeatRun opaque, clear;
    FireBlock At(int32_t x) const {
      const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(heat + x));
      return opaque.Holds(sixteen)  ? FireBlock::kOpaque
             : clear.Holds(sixteen) ? FireBlock::kClear
                                    : FireBlock::kMixed;
    }
  };
  Blocks TellBlocks() const { return {heat, colours->opaque, colours->clear}; }
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
  FireWeights Two(int32_t x) const {
    constexpr int kAlpha = _MM_SHUFFLE(3, 3, 3, 3);
    const __m128i f = _mm_unpacklo_epi8(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rgba + 4 * x)), _mm_setzero_si128());
    const __m128i fa = _mm_shufflehi_epi16(_mm_shufflelo_epi16(f, kAlpha), kAlpha);
    const __m128i colour = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    constexpr short kOpaqueHalf = static_cast<short>(kOpaqueShare);
    const __m128i halves =
        _mm_set_epi16(kOpaqueHalf, kHalf, kHalf, kHalf, kOpaqueHalf, kHalf, kHalf, kHalf);
    return {_mm_add_epi16(_mm_and_si128(_mm_mullo_epi16(f, fa), colour), halves),
            _mm_and_si128(_mm_sub_epi16(_mm_set1_epi16(255), fa), colour)};
  }
  struct Blocks {
    FireBlock At(int32_t) const { return FireBlock::kMixed; }
  };
  Blocks TellBlocks() const { return {}; }
#endif
};

// Where the pixels go, and what lies under them (null: opaque black).
struct OverRowTarget {
  const uint8_t* source;
  PixelLayout sourceLayout;
  uint8_t* out;
  PixelLayout outLayout;
};

// Up to four pixels from x by the rule itself, the source straightened as the fire reads it,
// written to `into`.
template <typename FireRow>
void OverByRule(const FireRow& fire, const OverRowTarget& at, int32_t x, int32_t count,
                uint8_t* into) {
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
             into + i * bytes);
  }
}

#if defined(__SSE2__)
// Whether four RGBA pixels' alphas are all `alpha`.
inline bool AlphasAre(__m128i v, uint32_t alpha) {
  const __m128i mask = _mm_set1_epi32(static_cast<int>(kOpaqueBlack));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(
             _mm_and_si128(v, mask), _mm_set1_epi32(static_cast<int>(alpha << 24)))) == 0xFFFF;
}

// Four opaque RGBA pixels' red, green and blue in the low twelve bytes, the rest 0 (opaque,
// they need no weighting).
inline __m128i RgbOfFour(__m128i v) {
  // Each half's two pixels into its low six bytes, then the halves side by side.
  const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
  const __m128i second = _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0);
  const __m128i halves =
      _mm_or_si128(_mm_and_si128(v, first), _mm_srli_epi64(_mm_and_si128(v, second), 8));
  const __m128i low = _mm_set_epi32(0, 0, -1, -1);
  return _mm_or_si128(_mm_and_si128(halves, low), _mm_srli_si128(_mm_andnot_si128(low, halves), 2));
}

// The four pixels from x of a source (null: opaque black).
template <bool kSource>
inline __m128i SourceFour(const uint8_t* source, int32_t x) {
  return kSource ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * x))
                 : _mm_set1_epi32(static_cast<int>(kOpaqueBlack));
}

// Four pixels of fire over four of an opaque source.
template <typename FireRow>
inline __m128i OverOpaque(const FireRow& fire, int32_t x, __m128i under) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_packus_epi16(OverTwo(fire.Two(x), _mm_unpacklo_epi8(under, zero)),
                          OverTwo(fire.Two(x + 2), _mm_unpackhi_epi8(under, zero)));
}

// Sixteen pixels from x as the output holds them, each four in the low 4 × kBytes bytes of
// its own. Fire that is opaque throughout hides the source, which is not read. Over an
// opaque source, clear fire shows it as it is (premultiplied or not, an opaque pixel is its
// own straight colour), and any other is blended with it. Four pixels of any other source go
// by the rule.
template <int kBytes, bool kSource, typename FireRow>
inline void SixteenOver(const FireRow& fire, FireBlock kind, const OverRowTarget& at, int32_t x,
                        __m128i v[4]) {
  if (kind == FireBlock::kOpaque) {
    for (int q = 0; q < 4; ++q) v[q] = fire.Four(x + 4 * q);
  } else {
    for (int q = 0; q < 4; ++q) v[q] = SourceFour<kSource>(at.source, x + 4 * q);
    const __m128i all = _mm_and_si128(_mm_and_si128(v[0], v[1]), _mm_and_si128(v[2], v[3]));
    const bool opaque = AlphasAre(all, 255);
    for (int q = 0; q < 4; ++q) {
      if (!opaque && !AlphasAre(v[q], 255)) {
        alignas(16) uint8_t byRule[16] = {};
        OverByRule(fire, at, x + 4 * q, 4, byRule);
        v[q] = _mm_load_si128(reinterpret_cast<const __m128i*>(byRule));
        continue;  // already as the output holds it
      }
      if (kind != FireBlock::kClear) v[q] = OverOpaque(fire, x + 4 * q, v[q]);
      if (kBytes == 3) v[q] = RgbOfFour(v[q]);
    }
    return;
  }
  if (kBytes == 3) {
    for (int q = 0; q < 4; ++q) v[q] = RgbOfFour(v[q]);
  }
}

// The output is written and not read again here: streaming stores keep it out of the cache,
// which the source and the heat need, where a row starts on 16 bytes as they want.
template <bool kStream>
inline void Store(__m128i v, uint8_t* to) {
  __m128i* const at = reinterpret_cast<__m128i*>(to);
  if (kStream) {
    _mm_stream_si128(at, v);
  } else {
    _mm_storeu_si128(at, v);
  }
}

// Sixteen pixels at a time: four stores, or three of RGB.
template <int kBytes, bool kSource, bool kStream, typename FireRow>
int32_t Sixteens(const FireRow& fire, const OverRowTarget& at, int32_t count) {
  int32_t x = 0;
  const auto blocks = fire.TellBlocks();
  for (; x + 16 <= count; x += 16) {
    __m128i v[4];
    SixteenOver<kBytes, kSource>(fire, blocks.At(x), at, x, v);
    uint8_t* const to = at.out + static_cast<ptrdiff_t>(x) * kBytes;
    if (kBytes == 4) {
      for (int q = 0; q < 4; ++q) Store<kStream>(v[q], to + 16 * q);
    } else {
      Store<kStream>(_mm_or_si128(v[0], _mm_slli_si128(v[1], 12)), to);
      Store<kStream>(_mm_or_si128(_mm_srli_si128(v[1], 4), _mm_slli_si128(v[2], 8)), to + 16);
      Store<kStream>(_mm_or_si128(_mm_srli_si128(v[2], 8), _mm_slli_si128(v[3], 4)), to + 32);
    }
  }
  return x;
}
#endif

// One row of `count` pixels, sixteen at a time where it can; streamed where `kStream` and
// the row allows it.
template <int kBytes, bool kSource, bool kStream = true, typename FireRow>
void OverRow(const FireRow& fire, const OverRowTarget& at, int32_t count) {
  int32_t x = 0;
  const auto byRule = [&](int32_t n) {
    OverByRule(fire, at, x, n, at.out + static_cast<ptrdiff_t>(x) * kBytes);
    x += n;
  };
#if defined(__SSE2__)
  x = kStream && (reinterpret_cast<uintptr_t>(at.out) & 15) == 0
          ? Sixteens<kBytes, kSource, true>(fire, at, count)
          : Sixteens<kBytes, kSource, false>(fire, at, count);
#endif
  while (x < count) byRule(count - x < 4 ? count - x : 4);
}

template <typename FireRow>
void OverRowIn(const FireRow& fire, const OverRowTarget& at, int32_t count) {
  const bool rgb = PixelBytes(at.outLayout) == 3;
  if (at.source) {
    rgb ? OverRow<3, true>(fire, at, count) : OverRow<4, true>(fire, at, count);
  } else {
    rgb ? OverRow<3, false>(fire, at, count) : OverRow<4, false>(fire, at, count);
  }
}

// The streamed pixels are in memory before anyone reads the output.
inline void Fenced() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

// The source's row y, where there is a source of the output's size.
const uint8_t* SourceRow(const ConstPixelView& source, const PixelView& output, int32_t y) {
  const bool fits =
      !source.Empty() && source.width == output.width && source.height == output.height;
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
  // The top row is clear: every heat of it coloured transparent.
  static const FlamePixel kClear[256] = {};
  HeatColours heatColours, clear;
  MakeHeatColours(colours, &heatColours);
  MakeHeatColours(kClear, &clear);
  for (int32_t y = 0; y < output.height; ++y) {
    const HeatRow fire{field + static_cast<ptrdiff_t>(y) * stride, y == 0 ? &clear : &heatColours};
    OverRowIn(fire, {SourceRow(source, output, y), source.layout, output.Row(y), output.layout},
              output.width);
  }
  Fenced();
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
  Fenced();
}

void RgbOverBlack(const uint8_t* rgba, int32_t count, uint8_t* rgb) {
  // Read at once by its caller: kept in the cache.
  OverRow<3, false, false>(RgbaRow{rgba},
                           {nullptr, PixelLayout::kRgba, rgb, PixelLayout::kRgbWeighted}, count);
}

void RgbaOverBlack(const uint8_t* rgba, int32_t count, uint8_t* weighted) {
  OverRow<4, false, false>(RgbaRow{rgba},
                           {nullptr, PixelLayout::kRgba, weighted, PixelLayout::kRgbaPremultiplied},
                           count);
}
