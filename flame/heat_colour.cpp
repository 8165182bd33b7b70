// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/heat_colour.h"

FlamePixel FlameHeatPixel(uint8_t heat, const FlameColorTable& table, int32_t alpha) {
  if (heat == 0) return {0, 0, 0, 0};
  double t;
  if (heat <= 155) {
    t = (heat - 155) * static_cast<double>(1.0f / 155.0f);
  } else {
    t = (heat - 155) * 0.01;
  }
  int p = static_cast<int>(t * t * 255);
  if (p > 255) p = 255;
  const uint8_t* entry = table.entries[255 - p];
  const uint8_t red = entry[kEntryRed], green = entry[kEntryGreen], blue = entry[kEntryBlue];
  int M = red > green ? red : green;
  if (blue > M) M = blue;
  double a;
  if (M > alpha) {
    a = 1.0;
  } else if (M == 0) {
    a = 0.0;
  } else {
    a = static_cast<double>(M) / alpha;
  }
  const auto alphaByte = static_cast<uint8_t>(static_cast<int>(255 * a * a + 0.5));
  return {alphaByte, red, green, blue};
}
