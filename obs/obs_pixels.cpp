// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/obs_pixels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effect/fire_pixels.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are read as little-endian words");

namespace {

// round(v / 255) for v up to 255 × 255, exactly, without a division.
inline uint8_t DivideBy255(uint32_t v) {
  v += 128;
  return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

// One pixel of the fire `f` over the straight source `s` (both alpha, red, green, blue),
// premultiplied. Over an opaque source the colour is round((f × fa + s × (255 − fa)) / 255),
// which is the general rule's round((f × fa × 255 + s × 255 × (255 − fa)) / (255 × 255)).
inline void FirePixel(const FlamePixel& fire, const FlamePixel& source, uint8_t* rgba) {
  const uint8_t f[4] = {fire.alpha, fire.red, fire.green, fire.blue};
  const uint8_t s[4] = {source.alpha, source.red, source.green, source.blue};
  const uint32_t fa = f[0];
  if (s[0] == 255) {
    for (int c = 0; c < 3; ++c) rgba[c] = DivideBy255(f[c + 1] * fa + s[c + 1] * (255 - fa));
    rgba[3] = 255;
    return;
  }
  // W = fa × 255 + sa × (255 − fa), alpha = round(W / 255),
  // colour = round((f × fa × 255 + s × sa × (255 − fa)) / W), all 0 where W is 0.
  const uint32_t fw = fa * 255, sw = s[0] * (255 - fa), total = fw + sw;
  const uint32_t alpha = (total + 127) / 255;
  for (int c = 0; c < 3; ++c) {
    const uint32_t straight =
        total == 0 ? 0 : (f[c + 1] * fw + s[c + 1] * sw + total / 2) / total;
    rgba[c] = DivideBy255(straight * alpha);
  }
  rgba[3] = static_cast<uint8_t>(alpha);
}

// Up to four pixels, the source straightened as the fire reads it.
void OverPixels(const uint8_t* heat, const OverColours& colours, const uint8_t* source,
                int32_t count, uint8_t* rgba) {
  FlamePixel straight[4];
  ReadSourceRow(ConstPixelView{source, count * 4, count, 1, PixelLayout::kRgbaPremultiplied}, 0,
                straight);
  for (int32_t i = 0; i < count; ++i) FirePixel(colours.host[heat[i]], straight[i], rgba + 4 * i);
}

#if defined(__SSE2__)
// Four RGBA pixels in 16-bit lanes, two pixels per register.
inline __m128i Div255(__m128i v) {
  v = _mm_add_epi16(v, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
}
inline __m128i AlphaEach(__m128i v) {
  constexpr int kAlpha = _MM_SHUFFLE(3, 3, 3, 3);
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, kAlpha), kAlpha);
}
// The fire over an opaque source, in lanes, opaque.
inline __m128i Blended(__m128i f, __m128i s) {
  const __m128i fa = AlphaEach(f);
  const __m128i sa = _mm_sub_epi16(_mm_set1_epi16(255), fa);
  const __m128i opaque = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
  return _mm_or_si128(Div255(_mm_add_epi16(_mm_mullo_epi16(f, fa), _mm_mullo_epi16(s, sa))),
                      opaque);
}
// Four RGBA pixels whose alphas are all `alpha`.
inline bool AlphasAre(__m128i v, uint32_t alpha) {
  const __m128i mask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(v, mask),
                                           _mm_set1_epi32(static_cast<int>(alpha << 24)))) ==
         0xFFFF;
}
#endif

}  // namespace

void MakeOverColours(const FlamePixel colours[256], OverColours* into) {
  for (int h = 0; h < 256; ++h) {
    const FlamePixel& p = colours[h];
    into->host[h] = p;
    const uint8_t bytes[4] = {p.red, p.green, p.blue, p.alpha};
    std::memcpy(&into->rgba[h], bytes, 4);
  }
}

void PremultipliedFireOver(const uint8_t* heat, const OverColours& colours,
                           const uint8_t* source, int32_t count, uint8_t* rgba) {
  int32_t i = 0;
#if defined(__SSE2__)
  // An opaque source is its own straight RGBA: where the fire is clear it shows as it is,
  // where the fire is opaque the fire does, and between them the two blend.
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
    if (!AlphasAre(sv, 255)) {
      OverPixels(heat + i, colours, source + 4 * i, 4, rgba + 4 * i);
      continue;
    }
    const __m128i fv = _mm_set_epi32(
        static_cast<int>(colours.rgba[heat[i + 3]]), static_cast<int>(colours.rgba[heat[i + 2]]),
        static_cast<int>(colours.rgba[heat[i + 1]]), static_cast<int>(colours.rgba[heat[i]]));
    __m128i* const to = reinterpret_cast<__m128i*>(rgba + 4 * i);
    if (AlphasAre(fv, 0)) {
      _mm_storeu_si128(to, sv);
    } else if (AlphasAre(fv, 255)) {
      _mm_storeu_si128(to, fv);
    } else {
      const __m128i lo = Blended(_mm_unpacklo_epi8(fv, zero), _mm_unpacklo_epi8(sv, zero));
      const __m128i hi = Blended(_mm_unpackhi_epi8(fv, zero), _mm_unpackhi_epi8(sv, zero));
      _mm_storeu_si128(to, _mm_packus_epi16(lo, hi));
    }
  }
#endif
  for (; i < count; i += 4) {
    const int32_t n = count - i < 4 ? count - i : 4;
    OverPixels(heat + i, colours, source + 4 * i, n, rgba + 4 * i);
  }
}
