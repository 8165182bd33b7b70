// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/footage_scene.h"

#include "pictures/default_source.h"
#include "host/effect_main.h"
#include "minihost/effect_host.h"

namespace {

RgbaImage ScaledWordmark(int32_t width, int32_t height) {
  const RgbaImage small = DrawDefaultSource();
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t sy = static_cast<int32_t>(int64_t{y} * small.height / height);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t sx = static_cast<int32_t>(int64_t{x} * small.width / width);
      const uint8_t* from = &small.pixels[(static_cast<size_t>(sy) * small.width + sx) * 4];
      uint8_t* to = &image.pixels[(static_cast<size_t>(y) * width + x) * 4];
      for (int c = 0; c < 4; ++c) to[c] = from[c];
    }
  }
  return image;
}

}  // namespace

void WriteWordmarkSource(const std::string& path, int32_t width, int32_t height) {
  const RgbaImage image = ScaledWordmark(width, height);
  WritePngFile(path, image.pixels.data(), width, height, 4);
}

std::vector<std::vector<uint8_t>> RenderWordmarkFrames(int32_t width, int32_t height,
                                                       int count) {
  const RgbaImage source = ScaledWordmark(width, height);
  EffectHost host(&EffectMain);
  host.Start();
  host.SetFrame(width, height);
  std::vector<PF_Pixel> input(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < input.size(); ++i) {
    const uint8_t* p = &source.pixels[i * 4];
    input[i] = PF_Pixel{p[3], p[0], p[1], p[2]};
  }
  host.SetInput(input.data(), width, height);
  constexpr int kWarmUp = 30;
  std::vector<std::vector<uint8_t>> frames;
  for (int frame = 1; frame <= kWarmUp + count; ++frame) {
    host.FrameSetup();
    host.Render(frame);
    if (frame <= kWarmUp) continue;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int32_t y = 0; y < height; ++y) {
      const PF_Pixel* row = &host.Output()[static_cast<size_t>(y) * host.OutputStride()];
      uint8_t* out = &rgba[static_cast<size_t>(y) * width * 4];
      for (int32_t x = 0; x < width; ++x) {
        out[x * 4 + 0] = row[x].red;
        out[x * 4 + 1] = row[x].green;
        out[x * 4 + 2] = row[x].blue;
        out[x * 4 + 3] = row[x].alpha;
      }
    }
    frames.push_back(std::move(rgba));
  }
  host.Stop();
  return frames;
}
