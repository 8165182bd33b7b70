// SPDX-License-Identifier: GPL-2.0-or-later
#include "minihost/rgba_pixels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

static_assert(sizeof(PF_Pixel) == 4 && alignof(PF_Pixel) == 1, "a pixel is 4 bytes, unaligned");

namespace {

// Read as a little-endian 32-bit word, an RGBA pixel is A B G R from the top byte down and a
// host pixel B G R A: one is the other rotated by a byte.
inline uint32_t HostWord(uint32_t rgba) { return (rgba << 8) | (rgba >> 24); }
inline uint32_t RgbaWord(uint32_t host) { return (host >> 8) | (host << 24); }

#if defined(__SSE2__)
inline __m128i HostWords(__m128i rgba) {
  return _mm_or_si128(_mm_slli_epi32(rgba, 8), _mm_srli_epi32(rgba, 24));
}
inline __m128i RgbaWords(__m128i host) {
  return _mm_or_si128(_mm_srli_epi32(host, 8), _mm_slli_epi32(host, 24));
}
#endif

// `count` pixels from `in` to `out`, each word turned by Turn (one word) or TurnFour (four).
template <uint32_t (*Turn)(uint32_t)>
inline void TurnTail(const uint8_t* in, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t word;
    std::memcpy(&word, in + 4 * i, 4);
    word = Turn(word);
    std::memcpy(out + 4 * i, &word, 4);
  }
}

void ToHost(const uint8_t* in, size_t count, uint8_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), HostWords(four));
  }
#endif
  TurnTail<HostWord>(in + 4 * i, count - i, out + 4 * i);
}

void ToRgba(const uint8_t* in, size_t count, uint8_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), RgbaWords(four));
  }
#endif
  TurnTail<RgbaWord>(in + 4 * i, count - i, out + 4 * i);
}

}  // namespace

void HostPixelsFromRgba(const uint8_t* rgba, size_t count, PF_Pixel* pixels) {
  ToHost(rgba, count, reinterpret_cast<uint8_t*>(pixels));
}

void RgbaFromHostPixels(const PF_Pixel* pixels, int32_t width, int32_t height, int32_t stride,
                        uint8_t* rgba) {
  for (int32_t y = 0; y < height; ++y) {
    const PF_Pixel* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    ToRgba(reinterpret_cast<const uint8_t*>(row), static_cast<size_t>(width),
           rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4);
  }
}
