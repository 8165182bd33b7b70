#include "ofx/ofx_image.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "ofx/ofx_props.h"

namespace {

// A pixel's four bytes as one little-endian word: RGBA is r | g << 8 | b << 16 | a << 24, and
// the effect's alpha, red, green, blue the same word turned by one byte.
inline uint32_t EffectFromRgba(uint32_t rgba) { return rgba << 8 | rgba >> 24; }
inline uint32_t RgbaFromEffect(uint32_t argb) { return argb >> 8 | argb << 24; }

// round(clamp(v) * 255), NaN as 0: the product is exact in double, so halves round up
// exactly.
inline uint32_t ByteOf(float v) {
  const float c = std::min(1.0f, std::max(0.0f, v));
  return static_cast<uint32_t>(static_cast<double>(c) * 255.0 + 0.5);
}

// byte / 255 for every byte.
struct UnitTable {
  float value[256];
  UnitTable() {
    for (int b = 0; b < 256; ++b) value[b] = static_cast<float>(b) / 255.0f;
  }
};
const UnitTable kUnit;

void RgbaRowToEffect(const unsigned char* in, bool isFloat, int count, uint8_t* out) {
  if (isFloat) {
    const float* f = reinterpret_cast<const float*>(in);
    for (int x = 0; x < count; ++x, f += 4, out += 4) {
      const uint32_t rgba = ByteOf(f[0]) | ByteOf(f[1]) << 8 | ByteOf(f[2]) << 16 | ByteOf(f[3]) << 24;
      const uint32_t argb = EffectFromRgba(rgba);
      std::memcpy(out, &argb, 4);
    }
    return;
  }
  for (int x = 0; x < count; ++x, in += 4, out += 4) {
    uint32_t word;
    std::memcpy(&word, in, 4);
    word = EffectFromRgba(word);
    std::memcpy(out, &word, 4);
  }
}

void EffectRowToRgba(const uint8_t* in, int count, bool isFloat, unsigned char* out) {
  if (isFloat) {
    float* f = reinterpret_cast<float*>(out);
    for (int x = 0; x < count; ++x, in += 4, f += 4) {
      f[0] = kUnit.value[in[1]];
      f[1] = kUnit.value[in[2]];
      f[2] = kUnit.value[in[3]];
      f[3] = kUnit.value[in[0]];
    }
    return;
  }
  for (int x = 0; x < count; ++x, in += 4, out += 4) {
    uint32_t word;
    std::memcpy(&word, in, 4);
    word = RgbaFromEffect(word);
    std::memcpy(out, &word, 4);
  }
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
  if (!view->data || (!empty && bounds[3] - bounds[1] > 1 && step < rowLength)) {
    return OfxImageRead::kUnsupported;
  }
  return OfxImageRead::kOk;
}

OfxRectI Intersect(const OfxRectI& a, const OfxRectI& b) {
  OfxRectI r{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
             std::min(a.y2, b.y2)};
  if (r.x2 < r.x1) r.x2 = r.x1;
  if (r.y2 < r.y1) r.y2 = r.y1;
  return r;
}

void CopyImageToFrame(const OfxImageView& image, const OfxRectI& frame, uint8_t* pixels) {
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const OfxRectI covered = Intersect(frame, image.bounds);
  if (covered.x1 != frame.x1 || covered.y1 != frame.y1 || covered.x2 != frame.x2 ||
      covered.y2 != frame.y2) {
    std::memset(pixels, 0, width * static_cast<size_t>(frame.y2 - frame.y1) * 4);
  }
  for (int y = covered.y1; y < covered.y2; ++y) {
    uint8_t* out = pixels + (static_cast<size_t>(frame.y2 - 1 - y) * width +
                             static_cast<size_t>(covered.x1 - frame.x1)) * 4;
    RgbaRowToEffect(PixelAddress(image, covered.x1, y), image.isFloat, covered.x2 - covered.x1, out);
  }
}

void CopyFrameToImage(const uint8_t* pixels, const OfxRectI& frame, const OfxRectI& window,
                      const OfxImageView& image) {
  const OfxRectI target = Intersect(window, image.bounds);
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const size_t pixelSize = image.isFloat ? 16 : 4;
  for (int y = target.y1; y < target.y2; ++y) {
    unsigned char* row = PixelAddress(image, target.x1, y);
    const bool inFrame = y >= frame.y1 && y < frame.y2;
    const int x1 = inFrame ? std::min(std::max(target.x1, frame.x1), target.x2) : target.x2;
    const int x2 = inFrame ? std::max(std::min(target.x2, frame.x2), x1) : target.x2;
    // The window's pixels beside the frame are transparent.
    std::memset(row, 0, static_cast<size_t>(x1 - target.x1) * pixelSize);
    std::memset(row + static_cast<size_t>(x2 - target.x1) * pixelSize, 0,
                static_cast<size_t>(target.x2 - x2) * pixelSize);
    if (x1 == x2) continue;
    const uint8_t* in = pixels + (static_cast<size_t>(frame.y2 - 1 - y) * width +
                                  static_cast<size_t>(x1 - frame.x1)) * 4;
    EffectRowToRgba(in, x2 - x1, image.isFloat, row + static_cast<size_t>(x1 - target.x1) * pixelSize);
  }
}
