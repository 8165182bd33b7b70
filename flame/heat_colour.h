// SPDX-License-Identifier: GPL-2.0-or-later
// The colour of one heat cell: its place on the colour table (hottest at heats 146 to 161,
// fading toward entry 0 below and above) and an alpha that follows the colour's brightness.
#pragma once

#include <cstdint>

#include "flame/flame_image.h"
#include "flame/flame_palette.h"

// The output pixel for heat h through `table` with the given "Alpha".
FlamePixel FlameHeatPixel(uint8_t heat, const FlameColorTable& table, int32_t alpha);
