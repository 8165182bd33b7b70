// SPDX-License-Identifier: GPL-2.0-or-later
// Pixels where a host holds them: the top row's address, the bytes from one row to the next
// (negative for rows stored bottom up), the size and the layout. The fire reads its source and
// writes its output through these, with no copy of either frame in between.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PixelLayout : uint8_t {
  kHostArgb,  // 8-bit alpha, red, green, blue: the compositing host's layers
  kRgba,      // 8-bit red, green, blue, alpha, straight alpha (frei0r, the page, PNG files)
  kRgbaPremultiplied,  // 8-bit red, green, blue, alpha, colours times alpha (OBS's textures)
  kRgbaFloat, // 32-bit float red, green, blue, alpha, straight alpha, 0..1 (OpenFX hosts)
  kRgbWeighted,  // 8-bit red, green, blue, each times alpha: over black, as a video without
                 // alpha shows it (read back as opaque)
};

// Bytes of one pixel in `layout`.
constexpr int32_t PixelBytes(PixelLayout layout) {
  return layout == PixelLayout::kRgbaFloat ? 16 : layout == PixelLayout::kRgbWeighted ? 3 : 4;
}

template <typename Byte>
struct BasicPixelView {
  Byte* top = nullptr;        // the first pixel of the top row
  ptrdiff_t rowBytes = 0;     // from one row to the next, top down
  int32_t width = 0;
  int32_t height = 0;
  PixelLayout layout = PixelLayout::kRgba;

  Byte* Row(int32_t y) const { return top + static_cast<ptrdiff_t>(y) * rowBytes; }
  bool Empty() const { return !top || width <= 0 || height <= 0; }
};

using PixelView = BasicPixelView<uint8_t>;
using ConstPixelView = BasicPixelView<const uint8_t>;

// Tightly packed rows, top first.
inline ConstPixelView PackedView(const uint8_t* pixels, int32_t width, int32_t height,
                                 PixelLayout layout) {
  return {pixels, static_cast<ptrdiff_t>(width) * PixelBytes(layout), width, height, layout};
}
inline PixelView PackedView(uint8_t* pixels, int32_t width, int32_t height, PixelLayout layout) {
  return {pixels, static_cast<ptrdiff_t>(width) * PixelBytes(layout), width, height, layout};
}
