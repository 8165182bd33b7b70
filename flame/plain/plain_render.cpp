// SPDX-License-Identifier: GPL-2.0-or-later
// The render's own passes as plain loops: the source mask and the colouring.
#include <cstddef>
#include <cstdint>

#include "flame/heat_colour.h"
#include "flame/plain/plain_flame.h"

void PlainBuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                          int32_t invert) {
  // Only the interior two cells in from every edge is written; the border stays 0 from the
  // allocation. A transparent source pixel, or one the source does not have, keeps its cell.
  for (int y = 2; y <= rows - 3; ++y) {
    if (y >= source.height) break;
    const uint8_t* row = reinterpret_cast<const uint8_t*>(FlameSourceRow(source, y));
    // Alpha first as the host lays pixels out, last in RGBA; red, green and blue in turn.
    const int alphaAt = source.order == FlameByteOrder::kRgba ? 3 : 0;
    const int redAt = source.order == FlameByteOrder::kRgba ? 0 : 1;
    for (int x = 2; x <= stride - 3; ++x) {
      if (x >= source.width) break;
      const uint8_t* pixel = row + 4 * x;
      if (pixel[alphaAt] == 0) continue;
      const uint8_t red = pixel[redAt], green = pixel[redAt + 1], blue = pixel[redAt + 2];
      int M = red > green ? red : green;
      if (blue > M) M = blue;
      mask[static_cast<ptrdiff_t>(y) * stride + x] =
          static_cast<uint8_t>(invert ? 255 - M : M);
    }
  }
}

void PlainColourFlameField(const uint8_t* field, int stride, int width, int rows,
                           const FlameColorTable& table, int32_t alpha, FlamePixel* output) {
  // Row 0 of the output is never written, nor columns at or beyond the frame width.
  for (int32_t x = 0; x < width; ++x) {
    for (int32_t y = 1; y < rows; ++y) {
      const ptrdiff_t i = static_cast<ptrdiff_t>(y) * stride + x;
      output[i] = FlameHeatPixel(field[i], table, alpha);
    }
  }
}
