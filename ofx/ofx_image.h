// SPDX-License-Identifier: GPL-2.0-or-later
// An image a host hands over, and the copies between it and the effect's frames. A host's
// image has its rows bottom-up, RGBA pixels of bytes or floats, row bytes that may be negative
// or padded, and bounds anywhere in pixel space. The effect's frames are rows of its pixels,
// top row first, `width` pixels apart.
#pragma once

#include <cstdint>

#include "effect/pixel_view.h"
#include "flame/flame_image.h"
#include "ofx/ofx_api.h"

struct OfxImageView {
  unsigned char* data = nullptr;  // pixel (bounds.x1, bounds.y1), the bottom-left one
  OfxRectI bounds{};
  int rowBytes = 0;  // from one row to the one above; may be negative
  bool isFloat = false;
};

enum class OfxImageRead {
  kOk,
  kUnsupported,  // not RGBA bytes or floats, or inconsistent properties
  kNoData,       // no pixel address
  kShortRows,    // row bytes shorter than a row of pixels
};

// Reads an image's properties (from clipGetImage).
OfxImageRead ReadImageView(OfxPropertySetHandle image, OfxImageView* view);

// Intersection of two half-open rectangles; empty (x1 == x2 or y1 == y2) when they miss.
OfxRectI Intersect(const OfxRectI& a, const OfxRectI& b);

// The part of the image covering `frame` (pixel space), top row first, where the image's
// bounds cover it; false else.
bool FrameViewOf(const OfxImageView& image, const OfxRectI& frame, ConstPixelView* view);

// Fills the effect's frame covering `frame` (pixel space) from the image: pixels outside the
// image's bounds are transparent black. Floats become round(clamp(v) * 255).
void CopyImageToFrame(const OfxImageView& image, const OfxRectI& frame, FlamePixel* pixels);

// Makes `window` of the image transparent black, nothing outside window ∩ bounds touched.
void ClearImage(const OfxRectI& window, const OfxImageView& image);

// Writes `window` of the image from the fire's heat field covering `frame` (a byte a cell, top
// row first, `frame`'s width a row): each cell's pixel is colours[heat], as the effect colours
// it, and the frame's top row, which the effect leaves uncoloured, is transparent black, as are
// the window's pixels outside the frame. Nothing outside window ∩ bounds is touched; floats are
// byte / 255.
void ColourHeatToImage(const uint8_t* heat, const FlamePixel colours[256], const OfxRectI& frame,
                       const OfxRectI& window, const OfxImageView& image);
