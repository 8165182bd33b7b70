// SPDX-License-Identifier: GPL-2.0-or-later
// What the output benchmarks render: the built-in FYREL wordmark scaled up to a frame size
// (a logo on fire, mostly transparent around it), and fire frames rendered from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/png/png_io.h"

struct FootageSize {
  const char* name;
  int32_t width;
  int32_t height;
};

// The built-in source scaled by whole pixels to `width` x `height` (a multiple of 320x180 keeps
// its proportions), written to `path` as a PNG.
void WriteWordmarkSource(const std::string& path, int32_t width, int32_t height);

// `count` fire frames from the scaled wordmark, RGBA, after a warm-up that lets the fire grow.
std::vector<std::vector<uint8_t>> RenderWordmarkFrames(int32_t width, int32_t height,
                                                       int count);
