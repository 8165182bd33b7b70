// SPDX-License-Identifier: GPL-2.0-or-later
// Whether a frame the renderer wrote decodes to exactly what the effect put out.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "cli/png/png_io.h"
#include "host/host_interface.h"

// The decoded PNG holds `width` x `height` pixels equal to the effect's output (alpha, red,
// green, blue, rows of `width` pixels), each written as red, green, blue, alpha.
inline ::testing::AssertionResult WrittenFrameIs(const RgbaImage& written,
                                                 const std::vector<PF_Pixel>& output,
                                                 int width, int height) {
  if (written.width != width || written.height != height) {
    return ::testing::AssertionFailure() << "size " << written.width << "x" << written.height
                                         << ", expected " << width << "x" << height;
  }
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const PF_Pixel& p = output[i];
    const uint8_t* w = &written.pixels[i * 4];
    if (w[0] != p.red || w[1] != p.green || w[2] != p.blue || w[3] != p.alpha) {
      return ::testing::AssertionFailure() << "pixel " << i << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}
