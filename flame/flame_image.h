// SPDX-License-Identifier: GPL-2.0-or-later
// The images the engine reads and writes: pixels as the host lays them out, and views of a
// layer with their row stride.
#pragma once

#include <cstddef>
#include <cstdint>

// A pixel as the host lays it out: alpha, red, green, blue.
struct FlamePixel {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
static_assert(sizeof(FlamePixel) == 4, "pixels are 4 bytes");

// A view of a layer: `stride` pixels from one row to the next. A source laid out otherwise
// (another byte order, premultiplied alpha, floats) is read a row at a time where it lies:
// `readRow` puts row y's `width` pixels, as the host lays them out, in `rowBuffer`.
struct FlameSourceImage {
  const FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
  void (*readRow)(const void* context, int32_t y, FlamePixel* into) = nullptr;
  const void* rowContext = nullptr;
  FlamePixel* rowBuffer = nullptr;  // `width` pixels
};

// Row y of the source, as the host lays it out.
inline const FlamePixel* FlameSourceRow(const FlameSourceImage& source, int32_t y) {
  if (!source.readRow) return source.pixels + static_cast<ptrdiff_t>(y) * source.stride;
  source.readRow(source.rowContext, y, source.rowBuffer);
  return source.rowBuffer;
}

// The output: null pixels leave the colouring to the caller (the heat field stays to be read).
struct FlameOutputImage {
  FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};
