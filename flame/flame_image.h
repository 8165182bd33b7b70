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

// How a source pixel's four bytes lie: as the host lays them out (alpha, red, green, blue), or
// red, green, blue, alpha with straight alpha (frei0r, the page, OpenFX hosts). The source
// mask reads either where it lies.
enum class FlameByteOrder : uint8_t { kHost, kRgba };

// A view of a layer: `stride` pixels from one row to the next (negative for rows stored bottom
// up). A source laid out otherwise (premultiplied alpha, floats) is read a row at a time:
// `readRow` gives row y's `width` pixels, where they lie or put in `rowBuffer`.
struct FlameSourceImage {
  const FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
  const FlamePixel* (*readRow)(const void* context, int32_t y, FlamePixel* rowBuffer) = nullptr;
  const void* rowContext = nullptr;
  FlamePixel* rowBuffer = nullptr;  // `width` pixels
  // The byte order of the rows read, and whether the rows lie at falling addresses (stored
  // bottom up): each row is then read from its last pixel to its first, so that the frame is
  // one falling stream of addresses, which the processor's prefetching follows (a row read
  // forward breaks the stream at every row: three times the time, from memory).
  FlameByteOrder order = FlameByteOrder::kHost;
  bool rowsFall = false;
};

// Row y of the source, `source.order` bytes a pixel.
inline const FlamePixel* FlameSourceRow(const FlameSourceImage& source, int32_t y) {
  if (!source.readRow) return source.pixels + static_cast<ptrdiff_t>(y) * source.stride;
  return source.readRow(source.rowContext, y, source.rowBuffer);
}

// The output: null pixels leave the colouring to the caller (the heat field stays to be read).
struct FlameOutputImage {
  FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};
