// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>
#include <xmmintrin.h>

#include "effect/fire_pixels.h"
#include "ofx/ofx_props.h"

namespace {

// An image's pixels are RGBA bytes or floats.
PixelLayout LayoutOf(const OfxImageView& image) {
  return image.isFloat ? PixelLayout::kRgbaFloat : PixelLayout::kRgba;
}

// A row of heat cells through a table of 256 finished pixels (RGBA bytes as 32-bit words, or
// four floats). Streamed where the row is 16-byte aligned: the host reads the image only after
// the render, and the source and the fire's buffers want the cache.
void HeatRowToBytes(const uint8_t* heat, int count, const uint32_t* table, unsigned char* out) {
  int x = 0;
  for (; x < count && reinterpret_cast<uintptr_t>(out + 4 * x) % 16 != 0; ++x) {
    std::memcpy(out + 4 * x, &table[heat[x]], 4);
  }
  if (reinterpret_cast<uintptr_t>(out + 4 * x) % 16 == 0) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i cold = _mm_set1_epi32(static_cast<int>(table[0]));
    for (; x + 16 <= count; x += 16) {
      __m128i* o = reinterpret_cast<__m128i*>(out + 4 * x);
      const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(heat + x));
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(sixteen, zero)) == 0xFFFF) {  // sixteen cold cells
        for (int q = 0; q < 4; ++q) _mm_stream_si128(o + q, cold);
        continue;
      }
      for (int q = 0; q < 4; ++q) {
        const uint8_t* h = heat + x + 4 * q;
        _mm_stream_si128(o + q, _mm_setr_epi32(static_cast<int>(table[h[0]]),
                                               static_cast<int>(table[h[1]]),
                                               static_cast<int>(table[h[2]]),
                                               static_cast<int>(table[h[3]])));
      }
    }
  }
  for (; x < count; ++x) std::memcpy(out + 4 * x, &table[heat[x]], 4);
}

void HeatRowToFloats(const uint8_t* heat, int count, const __m128* table, unsigned char* out) {
  float* f = reinterpret_cast<float*>(out);
  if (reinterpret_cast<uintptr_t>(f) % 16 == 0) {
    for (int x = 0; x < count; ++x) _mm_stream_ps(f + 4 * x, table[heat[x]]);
  } else {
    for (int x = 0; x < count; ++x) _mm_storeu_ps(f + 4 * x, table[heat[x]]);
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
  // The finished pixel of every heat, as the image holds it: RGBA bytes, or each byte / 255.
  alignas(16) uint32_t bytes[256];
  __m128 units[256];
  for (int h = 0; h < 256; ++h) {
    const uint8_t c[4] = {colours[h].red, colours[h].green, colours[h].blue, colours[h].alpha};
    std::memcpy(&bytes[h], c, 4);
    if (image.isFloat) {
      units[h] = _mm_setr_ps(static_cast<float>(c[0]) / 255.0f, static_cast<float>(c[1]) / 255.0f,
                             static_cast<float>(c[2]) / 255.0f, static_cast<float>(c[3]) / 255.0f);
    }
  }
  const OfxRectI target = Intersect(window, image.bounds);
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const size_t pixelSize = image.isFloat ? 16 : 4;
  for (int y = target.y1; y < target.y2; ++y) {
    unsigned char* row = PixelAddress(image, target.x1, y);
    // The frame's top row is never coloured: it stays transparent, as beside the frame.
    const bool inFrame = y >= frame.y1 && y < frame.y2 - 1;
    const int x1 = inFrame ? std::min(std::max(target.x1, frame.x1), target.x2) : target.x2;
    const int x2 = inFrame ? std::max(std::min(target.x2, frame.x2), x1) : target.x2;
    if (x1 > target.x1) std::memset(row, 0, static_cast<size_t>(x1 - target.x1) * pixelSize);
    if (target.x2 > x2) {
      std::memset(row + static_cast<size_t>(x2 - target.x1) * pixelSize, 0,
                  static_cast<size_t>(target.x2 - x2) * pixelSize);
    }
    if (x1 == x2) continue;
    const uint8_t* in = heat + static_cast<size_t>(frame.y2 - 1 - y) * width +
                        static_cast<size_t>(x1 - frame.x1);
    unsigned char* out = row + static_cast<size_t>(x1 - target.x1) * pixelSize;
    if (image.isFloat) {
      HeatRowToFloats(in, x2 - x1, units, out);
    } else {
      HeatRowToBytes(in, x2 - x1, bytes, out);
    }
  }
  _mm_sfence();
}
