// SPDX-License-Identifier: GPL-2.0-or-later
// Pixels between OBS and the effect: OBS holds RGBA with premultiplied alpha, the effect its
// host's pixels (alpha, red, green, blue) with straight alpha. Rows at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_interface.h"

// Premultiplied RGBA to straight host pixels, `count` of them: each colour round(c × 255 / a),
// at most 255; fully transparent pixels are transparent black.
void StraightHostPixels(const uint8_t* rgba, size_t count, PF_Pixel* pixels);

// The fire's pixels to premultiplied RGBA (each colour round(c × a / 255)), alone or laid
// "over" the source's straight pixels with the renderer's bytes (cli/media/composite.h, then
// premultiplied), `count` of each.
void PremultipliedFire(const PF_Pixel* fire, size_t count, uint8_t* rgba);
void PremultipliedFireOver(const PF_Pixel* fire, const PF_Pixel* source, size_t count,
                           uint8_t* rgba);
