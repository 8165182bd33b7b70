// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/flame_palette.h"

namespace {

struct Channels {
  int red;
  int green;
  int blue;
};

Channels Split(FlameColor color) {
  return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
          static_cast<int>((color >> 16) & 0xFF)};
}

// The red and green increments are kept in single precision, the blue one in double. The
// rounding goes through a function of its own so that it is never fused with its neighbour.
struct Increments {
  double red;
  double green;
  double blue;
};

double RoundedToFloat(double value) { return static_cast<double>(static_cast<float>(value)); }

Increments Increment(const Channels& from, const Channels& to, int length) {
  if (length == 0) return {0.0, 0.0, 0.0};
  return {RoundedToFloat(static_cast<double>(to.red - from.red) / length),
          RoundedToFloat(static_cast<double>(to.green - from.green) / length),
          static_cast<double>(to.blue - from.blue) / length};
}

void SetEntry(FlamePalette& palette, int k, const Channels& c) {
  palette.entries[k][kEntryBlue] = static_cast<uint8_t>(c.blue);
  palette.entries[k][kEntryGreen] = static_cast<uint8_t>(c.green);
  palette.entries[k][kEntryRed] = static_cast<uint8_t>(c.red);
}

// Entry k = trunc(along * increment + start) per channel.
void SetAlong(FlamePalette& palette, int k, double along, const Increments& inc,
              const Channels& start) {
  SetEntry(palette, k,
           {static_cast<int>(along * inc.red + start.red),
            static_cast<int>(along * inc.green + start.green),
            static_cast<int>(along * inc.blue + start.blue)});
}

}  // namespace

void BuildFlamePalette(FlamePalette& palette, FlameColor color1, FlameColor color2,
                       FlameColor color3, FlameColor color4, int32_t color2Position,
                       int32_t color3Position) {
  const Channels c1 = Split(color1), c2 = Split(color2), c3 = Split(color3), c4 = Split(color4);
  const int p2 = color2Position;
  const int p3 = color3Position;

  // Linear from "Color 1" to "Color 2".
  const Increments inc1 = Increment(c1, c2, p2);
  SetEntry(palette, 0, c1);
  for (int k = 1; k <= p2 - 1; ++k) SetAlong(palette, k, k, inc1, c1);

  // Linear from "Color 2" to "Color 3"; empty when "Color 3" stands at or before "Color 2".
  const Increments inc2 = Increment(c2, c3, p3 - p2);
  SetEntry(palette, p2, c2);
  for (int k = p2 + 1; k <= p3 - 1; ++k) SetAlong(palette, k, k - p2, inc2, c2);

  // Cubic ease-in from "Color 3" to "Color 4": leaves "Color 3" slowly.
  const int length = 255 - p3;
  const Increments inc3 = p3 >= 255 ? Increments{0.0, 0.0, 0.0} : Increment(c3, c4, length);
  SetEntry(palette, p3, c3);
  for (int k = p3 + 1; k <= 255; ++k) {
    const double t = static_cast<double>(k - p3) / length;
    const double w = ((t * t) * t) * length;
    SetAlong(palette, k, w, inc3, c3);
  }

  SetEntry(palette, 255, {0, 0, 0});
}

void FillFlameColorTable(FlameColorTable& table, int customColor, const FlamePalette& palette) {
  for (int k = 0; k < 256; ++k) {
    if (customColor) {
      for (int b = 0; b < 4; ++b) table.entries[k][b] = palette.entries[255 - k][b];
    } else {
      table.entries[k][kEntryBlue] = BuiltinFirePalette[k][2];
      table.entries[k][kEntryGreen] = BuiltinFirePalette[k][1];
      table.entries[k][kEntryRed] = BuiltinFirePalette[k][0];
      table.entries[k][kEntryZero] = 0;
    }
  }
}
