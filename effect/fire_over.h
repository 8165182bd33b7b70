// SPDX-License-Identifier: GPL-2.0-or-later
// The fire laid over its source, as compositing programs lay one layer over another: "over"
// with straight (unpremultiplied) alpha, in 8 bits, each result rounded to nearest:
//   W      = fire.a * 255 + source.a * (255 - fire.a)      (the result's alpha times 255)
//   alpha  = W / 255
//   colour = (fire.c * fire.a * 255 + source.c * source.a * (255 - fire.a)) / W
// each rounded to nearest, and all four 0 where W is 0. A premultiplied source is seen
// straightened, as the fire reads it (effect/fire_pixels.h); a premultiplied output, and RGB
// weighted by alpha, take each colour as round(c * alpha / 255). An empty source is opaque
// black: what a video without alpha shows under the fire.
//
// Sources: kRgba, kRgbaPremultiplied. Outputs: kRgba, kRgbaPremultiplied, kRgbWeighted. The
// source, where there is one, is the output's size.
#pragma once

#include <cstdint>

#include "effect/pixel_view.h"
#include "flame/flame_image.h"

// Whether the over takes these layouts (an empty source is taken whatever its layout).
bool LaysOver(const ConstPixelView& source, const PixelView& output);

// The heat field (`stride` cells a row) coloured as colours[heat] and laid over `source`,
// written into `output`: the top row has no fire, and shows the source as it is. Nothing is
// written unless LaysOver(source, output).
void ColourHeatOver(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const ConstPixelView& source, const PixelView& output);

// `fire`, straight RGBA coloured elsewhere (a plug-in's output), laid over `source` into
// `output`, all of one size (and nothing written unless LaysOver(source, output)).
void LayOver(const ConstPixelView& fire, const ConstPixelView& source, const PixelView& output);

// `count` pixels of straight RGBA as RGB weighted by alpha: laid over black.
void RgbOverBlack(const uint8_t* rgba, int32_t count, uint8_t* rgb);
// The same kept four bytes a pixel, every alpha 255 (what a converter that reads RGBA in fewer
// steps than packed RGB is handed).
void RgbaOverBlack(const uint8_t* rgba, int32_t count, uint8_t* weighted);
