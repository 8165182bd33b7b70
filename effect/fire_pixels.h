// SPDX-License-Identifier: GPL-2.0-or-later
// The fire's pixels in each layout a front end holds: a source row read as the host lays its
// pixels out, and the heat field coloured straight into an output.
#pragma once

#include <cstdint>

#include "effect/pixel_view.h"
#include "flame/flame_image.h"

// The source as the engine reads it: the pixels themselves where they are laid out as the host
// lays them out, else read a row at a time into `rowBuffer` (`source.width` pixels).
FlameSourceImage SourceImageOf(const ConstPixelView& source, FlamePixel* rowBuffer);

// Row y of `source`, as the host lays pixels out.
void ReadSourceRow(const ConstPixelView& source, int32_t y, FlamePixel* into);

// The field (`stride` cells a row) coloured into `output`, each heat h as colours[h]: every
// row but the top one, which stays transparent as the host's output starts.
void ColourHeatInto(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const PixelView& output);
