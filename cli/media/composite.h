// SPDX-License-Identifier: GPL-2.0-or-later
// The fire laid over its source frame, as compositing programs lay one layer over another:
// "over" with straight (unpremultiplied) alpha, in 8 bits, each result rounded to nearest.
//   W      = fire.a * 255 + source.a * (255 - fire.a)      (the result's alpha times 255)
//   alpha  = W / 255
//   colour = (fire.c * fire.a * 255 + source.c * source.a * (255 - fire.a)) / W
// each rounded to nearest, and all four 0 where W is 0.
#pragma once

#include <cstddef>
#include <cstdint>

// `fire` (RGBA) becomes `fire` over `source` (RGBA), `pixels` of each.
void CompositeOver(const uint8_t* source, uint8_t* fire, size_t pixels);

// RGBA to RGB weighted by alpha, each rounded to nearest: c * a / 255 (the fire over black, as
// a video without alpha shows it).
void PremultiplyToRgb(const uint8_t* rgba, size_t pixels, uint8_t* rgb);
