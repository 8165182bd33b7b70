// SPDX-License-Identifier: GPL-2.0-or-later
// Colours of the fire: the gradient built from four colours, the built-in fire gradient, and
// the heat-indexed colour table that drawing looks up.
#pragma once

#include <cstdint>

// A colour value: red in bits 0-7, green 8-15, blue 16-23, bits 24-31 zero.
using FlameColor = uint32_t;

inline FlameColor MakeFlameColor(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<FlameColor>(red) | (static_cast<FlameColor>(green) << 8) |
         (static_cast<FlameColor>(blue) << 16);
}

// Byte positions within a palette or colour table entry.
enum : int { kEntryBlue = 0, kEntryGreen = 1, kEntryRed = 2, kEntryZero = 3 };

// 256 entries of blue, green, red, 0. Entry 0 is "Color 1" (the hottest), entry 255 black.
struct FlamePalette {
  uint8_t entries[256][4];
};

// 256 entries of blue, green, red, 0 (a bitmap colour table), indexed by heat.
struct FlameColorTable {
  uint8_t entries[256][4];
};

// The built-in fire gradient: red, green, blue per entry, entry 0 the coldest.
extern const uint8_t BuiltinFirePalette[256][3];

// Overwrites bytes 0-2 of every entry. Both positions must lie within 0..255.
void BuildFlamePalette(FlamePalette& palette, FlameColor color1, FlameColor color2,
                       FlameColor color3, FlameColor color4, int32_t color2Position,
                       int32_t color3Position);

// customColor non-zero: the palette reversed; zero: the built-in gradient.
void FillFlameColorTable(FlameColorTable& table, int customColor, const FlamePalette& palette);
