// SPDX-License-Identifier: GPL-2.0-or-later
// An image as the commands hold it in memory, and the largest one they accept.
#pragma once

#include <cstdint>
#include <vector>

struct RgbaImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;  // red, green, blue, alpha per pixel, rows top first
};

// The largest side the commands accept.
constexpr int32_t kMaxImageSide = 16384;
