// SPDX-License-Identifier: GPL-2.0-or-later
// The fire laid over its source in OBS's pixels, a row at a time: OBS holds RGBA with
// premultiplied alpha; the fire's colours are the host's pixels (alpha, red, green, blue) with
// straight alpha, and the source is read as the fire reads it, straightened
// (effect/fire_pixels.h). (The fire alone is coloured straight into OBS's bytes by the Fire.)
#pragma once

#include <cstdint>

#include "flame/flame_image.h"

// The colours of one frame's heat, as the over pass takes them.
struct OverColours {
  FlamePixel host[256];  // each heat's colour, straight
  uint32_t rgba[256];    // the same as RGBA bytes read as a little-endian word
};
void MakeOverColours(const FlamePixel colours[256], OverColours* into);

// `count` pixels, each heat[x] coloured as colours[heat[x]], laid "over" the source's pixel
// (premultiplied RGBA) with the renderer's bytes (cli/media/composite.h), written as
// premultiplied RGBA (each colour round(c × a / 255)).
void PremultipliedFireOver(const uint8_t* heat, const OverColours& colours,
                           const uint8_t* source, int32_t count, uint8_t* rgba);
