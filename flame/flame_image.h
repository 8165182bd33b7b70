// SPDX-License-Identifier: GPL-2.0-or-later
// The images the engine reads and writes: pixels as the host lays them out, and views of a
// layer with their row stride.
#pragma once

#include <cstdint>

// A pixel as the host lays it out: alpha, red, green, blue.
struct FlamePixel {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
static_assert(sizeof(FlamePixel) == 4, "pixels are 4 bytes");

// A view of a layer: `stride` pixels from one row to the next.
struct FlameSourceImage {
  const FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};

struct FlameOutputImage {
  FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};
