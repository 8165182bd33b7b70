// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "effect/fire_pixels.h"
#include "ofx/ofx_props.h"

namespace {

// An image's pixels are RGBA bytes or floats.
PixelLayout LayoutOf(const OfxImageView& image) {
  return image.isFloat ? PixelLayout::kRgbaFloat : PixelLayout::kRgba;
}

unsigned char* PixelAddress(const OfxImageView& image, int x, int y) {
  const ptrdiff_t row = static_cast<ptrdiff_t>(y - image.bounds.y1) * image.rowBytes;
  const ptrdiff_t column = static_cast<ptrdiff_t>(x - image.bounds.x1) * (image.isFloat ? 16 : 4);
  return image.data + row + column;
}

}  // namespace

OfxImageRead ReadImageView(OfxPropertySetHandle image, OfxImageView* view) {
  const OfxProps props(image);
  const char* components = nullptr;
  const char* depth = nullptr;
  void* data = nullptr;
  int bounds[4];
  if (!props.GetString(ofx::kComponents, &components) ||
      std::strcmp(components, ofx::kComponentRGBA) != 0 ||
      !props.GetString(ofx::kPixelDepth, &depth) || !props.GetPointer(ofx::kImageData, &data) ||
      !props.GetInts(ofx::kImageBounds, bounds, 4) ||
      !props.GetInt(ofx::kImageRowBytes, &view->rowBytes)) {
    return OfxImageRead::kUnsupported;
  }
  if (std::strcmp(depth, ofx::kBitDepthFloat) == 0) {
    view->isFloat = true;
  } else if (std::strcmp(depth, ofx::kBitDepthByte) == 0) {
    view->isFloat = false;
  } else {
    return OfxImageRead::kUnsupported;
  }
  view->data = static_cast<unsigned char*>(data);
  view->bounds = OfxRectI{bounds[0], bounds[1], bounds[2], bounds[3]};
  // Rows must not overlap: a row of pixels fits between one row and the next.
  const int64_t width = static_cast<int64_t>(bounds[2]) - bounds[0];
  const int64_t rowLength = width * (view->isFloat ? 16 : 4);
  const int64_t step = view->rowBytes < 0 ? -static_cast<int64_t>(view->rowBytes) : view->rowBytes;
  const bool empty = bounds[2] <= bounds[0] || bounds[3] <= bounds[1];
  if (!view->data) return OfxImageRead::kNoData;
  if (!empty && bounds[3] - bounds[1] > 1 && step < rowLength) return OfxImageRead::kShortRows;
  return OfxImageRead::kOk;
}

OfxRectI Intersect(const OfxRectI& a, const OfxRectI& b) {
  OfxRectI r{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
             std::min(a.y2, b.y2)};
  if (r.x2 < r.x1) r.x2 = r.x1;
  if (r.y2 < r.y1) r.y2 = r.y1;
  return r;
}

bool FrameViewOf(const OfxImageView& image, const OfxRectI& frame, ConstPixelView* view) {
  const OfxRectI covered = Intersect(frame, image.bounds);
  if (covered.x1 != frame.x1 || covered.y1 != frame.y1 || covered.x2 != frame.x2 ||
      covered.y2 != frame.y2) {
    return false;
  }
  *view = ConstPixelView{PixelAddress(image, frame.x1, frame.y2 - 1), -image.rowBytes,
                         frame.x2 - frame.x1, frame.y2 - frame.y1, LayoutOf(image)};
  return true;
}

void CopyImageToFrame(const OfxImageView& image, const OfxRectI& frame, FlamePixel* pixels) {
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const OfxRectI covered = Intersect(frame, image.bounds);
  const size_t left = static_cast<size_t>(covered.x1 - frame.x1);
  const size_t inside = static_cast<size_t>(covered.x2 - covered.x1);
  const FlamePixel clear{0, 0, 0, 0};
  for (int y = frame.y2 - 1; y >= frame.y1; --y) {
    FlamePixel* out = pixels + static_cast<size_t>(frame.y2 - 1 - y) * width;
    if (y < covered.y1 || y >= covered.y2 || inside == 0) {
      std::fill(out, out + width, clear);
    } else {
      std::fill(out, out + left, clear);
      std::fill(out + left + inside, out + width, clear);
      const ConstPixelView row{PixelAddress(image, covered.x1, y), 0,
                               static_cast<int32_t>(inside), 1, LayoutOf(image)};
      ReadSourceRow(row, 0, out + left);
    }
  }
}

void ClearImage(const OfxRectI& window, const OfxImageView& image) {
  const OfxRectI target = Intersect(window, image.bounds);
  const size_t bytes = static_cast<size_t>(target.x2 - target.x1) * (image.isFloat ? 16 : 4);
  for (int y = target.y1; y < target.y2; ++y) {
    std::memset(PixelAddress(image, target.x1, y), 0, bytes);
  }
}

void ColourHeatToImage(const uint8_t* heat, const FlamePixel colours[256], const OfxRectI& frame,
                       const OfxRectI& window, const OfxImageView& image) {
  const OfxRectI target = Intersect(window, image.bounds);
  const size_t pixelSize = image.isFloat ? 16 : 4;
  // What is coloured: the frame's rows but its top one, which is never coloured and stays
  // transparent as beside the frame, within the target.
  const OfxRectI coloured =
      Intersect(target, OfxRectI{frame.x1, frame.y1, frame.x2, std::max(frame.y1, frame.y2 - 1)});
  const bool any = coloured.x2 > coloured.x1 && coloured.y2 > coloured.y1;
  // Mostly the coloured rows fill the target: then only the rows above and below are cleared,
  // not each row's empty ends.
  const bool sides = !any || coloured.x1 > target.x1 || coloured.x2 < target.x2;
  for (int y = target.y1; y < target.y2; ++y) {
    const bool inside = any && y >= coloured.y1 && y < coloured.y2;
    if (inside && !sides) continue;
    unsigned char* row = PixelAddress(image, target.x1, y);
    const int x1 = inside ? coloured.x1 : target.x2;
    const int x2 = inside ? coloured.x2 : target.x2;
    std::memset(row, 0, static_cast<size_t>(x1 - target.x1) * pixelSize);
    std::memset(row + static_cast<size_t>(x2 - target.x1) * pixelSize, 0,
                static_cast<size_t>(target.x2 - x2) * pixelSize);
  }
  if (!any) return;
  // Top row first, as the heat field lies.
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const uint8_t* top = heat + static_cast<size_t>(frame.y2 - coloured.y2) * width +
                       static_cast<size_t>(coloured.x1 - frame.x1);
  const PixelView out{PixelAddress(image, coloured.x1, coloured.y2 - 1), -image.rowBytes,
                      coloured.x2 - coloured.x1, coloured.y2 - coloured.y1, LayoutOf(image)};
  ColourHeatRows(top, static_cast<int32_t>(width), colours, out);
}
