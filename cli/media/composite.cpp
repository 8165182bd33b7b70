// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/composite.h"


namespace {

// One pixel of `fire` (RGBA) over the source's red, green, blue and alpha.
inline void OverPixel(uint32_t sr, uint32_t sg, uint32_t sb, uint32_t sa, uint8_t* fire) {
  const uint32_t fa = fire[3];
  if (fa == 255) return;  // the fire hides the source
  if (fa == 0) {
    // No fire: the source as it is (the sums below give exactly that), and nothing where
    // neither shows.
    fire[0] = static_cast<uint8_t>(sa ? sr : 0);
    fire[1] = static_cast<uint8_t>(sa ? sg : 0);
    fire[2] = static_cast<uint8_t>(sa ? sb : 0);
    fire[3] = static_cast<uint8_t>(sa);
    return;
  }
  // Both weights carry a factor of 255: the fire's fa * 255, the source's sa * (255 - fa).
  const uint32_t fireWeight = fa * 255;
  const uint32_t sourceWeight = sa * (255 - fa);
  const uint32_t total = fireWeight + sourceWeight;  // alpha * 255, before rounding
  if (total == 0) {
    fire[0] = fire[1] = fire[2] = fire[3] = 0;
    return;
  }
  const uint32_t source[3] = {sr, sg, sb};
  for (int c = 0; c < 3; ++c) {
    fire[c] = static_cast<uint8_t>(
        (fire[c] * fireWeight + source[c] * sourceWeight + total / 2) / total);
  }
  fire[3] = static_cast<uint8_t>((total + 127) / 255);
}

}  // namespace

void CompositeOver(const uint8_t* source, uint8_t* fire, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i, source += 4, fire += 4) {
    OverPixel(source[0], source[1], source[2], source[3], fire);
  }
}

void PremultiplyToRgb(const uint8_t* rgba, size_t pixels, uint8_t* rgb) {
  for (size_t i = 0; i < pixels; ++i, rgba += 4, rgb += 3) {
    const uint32_t alpha = rgba[3];
    for (int c = 0; c < 3; ++c) rgb[c] = static_cast<uint8_t>((rgba[c] * alpha + 127) / 255);
  }
}
