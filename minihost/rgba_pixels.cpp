#include "minihost/rgba_pixels.h"

static_assert(sizeof(PF_Pixel) == 4 && alignof(PF_Pixel) == 1, "a pixel is 4 bytes, unaligned");

void HostPixelsFromRgba(const uint8_t* rgba, size_t count, PF_Pixel* pixels) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    pixels[i] = PF_Pixel{rgba[3], rgba[0], rgba[1], rgba[2]};
  }
}

const PF_Pixel* HostPixelsInPlace(uint8_t* rgba, size_t count) {
  for (size_t i = 0; i < count * 4; i += 4) {
    const uint8_t alpha = rgba[i + 3];
    rgba[i + 3] = rgba[i + 2];
    rgba[i + 2] = rgba[i + 1];
    rgba[i + 1] = rgba[i];
    rgba[i] = alpha;
  }
  return reinterpret_cast<const PF_Pixel*>(rgba);
}

void RgbaFromHostPixels(const PF_Pixel* pixels, int32_t width, int32_t height, int32_t stride,
                        uint8_t* rgba) {
  for (int32_t y = 0; y < height; ++y) {
    const PF_Pixel* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int32_t x = 0; x < width; ++x) {
      *rgba++ = row[x].red;
      *rgba++ = row[x].green;
      *rgba++ = row[x].blue;
      *rgba++ = row[x].alpha;
    }
  }
}
