#include "ofx/ofx_image.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <emmintrin.h>

#include "minihost/rgba_pixels.h"
#include "ofx/ofx_props.h"

namespace {

// Rows of floats go through a row of RGBA bytes.
constexpr int kRowChunk = 1024;

// Four floats to four bytes, each round(clamp(v) * 255) with NaN as 0. Clamped in float
// (maxps gives its second operand for NaN), then multiplied and rounded in double, where the
// product is exact, so that halves round up exactly.
inline uint32_t BytesOf(const float* v) {
  const __m128 c = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(v), _mm_setzero_ps()), _mm_set1_ps(1.0f));
  const __m128d scale = _mm_set1_pd(255.0), half = _mm_set1_pd(0.5);
  const __m128d low = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(c), scale), half);
  const __m128d high = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(c, c)), scale), half);
  const __m128i ints = _mm_unpacklo_epi64(_mm_cvttpd_epi32(low), _mm_cvttpd_epi32(high));
  const __m128i words = _mm_packs_epi32(ints, ints);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

// Four bytes to four floats, each byte / 255.
inline void UnitsOf(const uint8_t* bytes, float* v) {
  int32_t word;
  std::memcpy(&word, bytes, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i ints = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
  _mm_storeu_ps(v, _mm_div_ps(_mm_cvtepi32_ps(ints), _mm_set1_ps(255.0f)));
}

void RowToFrame(const unsigned char* in, bool isFloat, int count, PF_Pixel* out) {
  if (!isFloat) {
    HostPixelsFromRgba(in, static_cast<size_t>(count), out);
    return;
  }
  const float* f = reinterpret_cast<const float*>(in);
  uint8_t rgba[kRowChunk * 4];
  for (int done = 0; done < count; done += kRowChunk) {
    const int n = std::min(kRowChunk, count - done);
    for (int i = 0; i < n; ++i) {
      const uint32_t word = BytesOf(f + (done + i) * 4);
      std::memcpy(rgba + i * 4, &word, 4);
    }
    HostPixelsFromRgba(rgba, static_cast<size_t>(n), out + done);
  }
}

void FrameToRow(const PF_Pixel* in, int count, bool isFloat, unsigned char* out) {
  if (!isFloat) {
    RgbaFromHostPixels(in, count, 1, count, out);
    return;
  }
  float* f = reinterpret_cast<float*>(out);
  uint8_t rgba[kRowChunk * 4];
  for (int done = 0; done < count; done += kRowChunk) {
    const int n = std::min(kRowChunk, count - done);
    RgbaFromHostPixels(in + done, n, 1, n, rgba);
    for (int i = 0; i < n; ++i) UnitsOf(rgba + i * 4, f + (done + i) * 4);
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

void CopyImageToFrame(const OfxImageView& image, const OfxRectI& frame, PF_Pixel* pixels) {
  const size_t width = static_cast<size_t>(frame.x2 - frame.x1);
  const OfxRectI covered = Intersect(frame, image.bounds);
  if (covered.x1 != frame.x1 || covered.y1 != frame.y1 || covered.x2 != frame.x2 ||
      covered.y2 != frame.y2) {
    std::fill(pixels, pixels + width * static_cast<size_t>(frame.y2 - frame.y1), PF_Pixel{0, 0, 0, 0});
  }
  for (int y = covered.y1; y < covered.y2; ++y) {
    PF_Pixel* out = pixels + static_cast<size_t>(frame.y2 - 1 - y) * width +
                    static_cast<size_t>(covered.x1 - frame.x1);
    RowToFrame(PixelAddress(image, covered.x1, y), image.isFloat, covered.x2 - covered.x1, out);
  }
}

void CopyFrameToImage(const PF_Pixel* pixels, const OfxRectI& frame, const OfxRectI& window,
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
    const PF_Pixel* in = pixels + static_cast<size_t>(frame.y2 - 1 - y) * width +
                         static_cast<size_t>(x1 - frame.x1);
    FrameToRow(in, x2 - x1, image.isFloat, row + static_cast<size_t>(x1 - target.x1) * pixelSize);
  }
}
