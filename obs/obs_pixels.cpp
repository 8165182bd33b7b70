// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/obs_pixels.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are read as little-endian words");

namespace {

// round(v / 255) for v up to 255 × 255, exactly, without a division.
inline uint8_t DivideBy255(uint32_t v) {
  v += 128;
  return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

// One pixel of the fire, premultiplied; over an opaque source the colour is
// round((f × fa + s × (255 − fa)) / 255), which is the general rule's
// round((f × fa × 255 + s × 255 × (255 − fa)) / (255 × 255)). `source` null: the fire alone.
inline void FirePixel(const uint8_t* f, const uint8_t* s, uint8_t* rgba) {
  const uint32_t fa = f[0];
  if (!s) {
    for (int c = 0; c < 3; ++c) rgba[c] = DivideBy255(f[c + 1] * fa);
    rgba[3] = static_cast<uint8_t>(fa);
  } else if (s[0] == 255) {
    for (int c = 0; c < 3; ++c) rgba[c] = DivideBy255(f[c + 1] * fa + s[c + 1] * (255 - fa));
    rgba[3] = 255;
  } else {
    // W = fa × 255 + sa × (255 − fa), alpha = round(W / 255),
    // colour = round((f × fa × 255 + s × sa × (255 − fa)) / W), all 0 where W is 0.
    const uint32_t fw = fa * 255, sw = s[0] * (255 - fa), total = fw + sw;
    const uint32_t alpha = (total + 127) / 255;
    for (int c = 0; c < 3; ++c) {
      const uint32_t straight = total == 0 ? 0 : (f[c + 1] * fw + s[c + 1] * sw + total / 2) / total;
      rgba[c] = DivideBy255(straight * alpha);
    }
    rgba[3] = static_cast<uint8_t>(alpha);
  }
}

#if defined(__SSE2__)
// Four pixels at a time in 16-bit lanes, two pixels per register: (a, r, g, b) each.
inline __m128i Div255(__m128i v) {
  v = _mm_add_epi16(v, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
}
inline __m128i AlphaEach(__m128i v) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0), 0);
}
// (a, r, g, b) lanes → (r, g, b, a), packed to bytes.
inline __m128i ToRgba(__m128i lo, __m128i hi) {
  constexpr int kOrder = _MM_SHUFFLE(0, 3, 2, 1);
  lo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, kOrder), kOrder);
  hi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, kOrder), kOrder);
  return _mm_packus_epi16(lo, hi);
}
const __m128i kAlphaLanes = _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);

// Four host pixels whose alphas are all `alpha` (0 or 255).
inline bool AlphasAre(__m128i v, int alpha) {
  const __m128i mask = _mm_set1_epi32(0xFF);
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(v, mask), _mm_set1_epi32(alpha))) ==
         0xFFFF;
}
// Four host pixels as RGBA, moved only.
inline __m128i MovedToRgba(__m128i v) {
  return _mm_or_si128(_mm_srli_epi32(v, 8), _mm_slli_epi32(v, 24));
}

// Premultiplied colours with the fire's own alpha lane kept.
inline __m128i Premultiplied(__m128i f) {
  const __m128i product = Div255(_mm_mullo_epi16(f, AlphaEach(f)));
  return _mm_or_si128(_mm_andnot_si128(kAlphaLanes, product), _mm_and_si128(kAlphaLanes, f));
}
// The blend over an opaque source, alpha lanes 255.
inline __m128i Blended(__m128i f, __m128i s) {
  const __m128i fa = AlphaEach(f);
  const __m128i sa = _mm_sub_epi16(_mm_set1_epi16(255), fa);
  const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(f, fa), _mm_mullo_epi16(s, sa));
  return _mm_or_si128(Div255(sum), _mm_and_si128(kAlphaLanes, _mm_set1_epi16(255)));
}
#endif

}  // namespace

void StraightHostPixels(const uint8_t* rgba, size_t count, PF_Pixel* pixels) {
  // Runs of opaque pixels only move their bytes (a rotation of each word, which vectorises);
  // a run with any other alpha is done again pixel by pixel.
  constexpr size_t kRun = 64;
  for (size_t start = 0; start < count; start += kRun) {
    const size_t end = std::min(count, start + kRun);
    uint32_t opaque = 0xFF;
    for (size_t i = start; i < end; ++i) {
      uint32_t v;
      std::memcpy(&v, rgba + i * 4, 4);
      opaque &= v >> 24;
      v = v << 8 | v >> 24;  // red, green, blue, alpha → alpha, red, green, blue
      std::memcpy(&pixels[i], &v, 4);
    }
    if (opaque == 0xFF) continue;
    for (size_t i = start; i < end; ++i) {
      const uint8_t* p = rgba + i * 4;
      const uint32_t a = p[3];
      if (a == 255) continue;
      uint8_t c[3] = {0, 0, 0};
      for (int k = 0; a != 0 && k < 3; ++k) {
        c[k] = static_cast<uint8_t>(std::min<uint32_t>(255, (p[k] * 255u + a / 2) / a));
      }
      pixels[i] = PF_Pixel{static_cast<uint8_t>(a), c[0], c[1], c[2]};
    }
  }
}

void PremultipliedFire(const PF_Pixel* fire, size_t count, uint8_t* rgba) {
  const uint8_t* f = &fire->alpha;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + i * 4));
    if (AlphasAre(v, 0) || AlphasAre(v, 255)) {  // clear fire is all zeros
      const __m128i moved = AlphasAre(v, 0) ? zero : MovedToRgba(v);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(rgba + i * 4), moved);
      continue;
    }
    const __m128i lo = Premultiplied(_mm_unpacklo_epi8(v, zero));
    const __m128i hi = Premultiplied(_mm_unpackhi_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rgba + i * 4), ToRgba(lo, hi));
  }
#endif
  for (; i < count; ++i) FirePixel(f + i * 4, nullptr, rgba + i * 4);
}

void PremultipliedFireOver(const PF_Pixel* fire, const PF_Pixel* source, size_t count,
                           uint8_t* rgba) {
  const uint8_t* f = &fire->alpha;
  const uint8_t* s = &source->alpha;
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 4));
    const __m128i fv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + i * 4));
    __m128i* const to = reinterpret_cast<__m128i*>(rgba + i * 4);
    if (!AlphasAre(sv, 255)) {
      for (size_t k = i; k < i + 4; ++k) FirePixel(f + k * 4, s + k * 4, rgba + k * 4);
      continue;
    }
    // Where the fire is clear the opaque source shows, where it is opaque the fire.
    if (AlphasAre(fv, 0) || AlphasAre(fv, 255)) {
      _mm_storeu_si128(to, MovedToRgba(AlphasAre(fv, 0) ? sv : fv));
      continue;
    }
    const __m128i lo = Blended(_mm_unpacklo_epi8(fv, zero), _mm_unpacklo_epi8(sv, zero));
    const __m128i hi = Blended(_mm_unpackhi_epi8(fv, zero), _mm_unpackhi_epi8(sv, zero));
    _mm_storeu_si128(to, ToRgba(lo, hi));
  }
#endif
  for (; i < count; ++i) FirePixel(f + i * 4, s + i * 4, rgba + i * 4);
}
