// SPDX-License-Identifier: GPL-2.0-or-later
// The effect driven directly through its commands by the host of our own, a fresh fire of its
// own, with frei0r's RGBA bytes on both sides: the bytes every frei0r run is held against.
// Also the test source.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/effect_commands.h"
#include "minihost/effect_host.h"

// An effect setting as the effect keeps it: slider, angle (16.16) and check box values as
// they are, colours as 0xRRGGBB.
using EffectSetting = std::pair<std::string, int32_t>;

class ReferenceFire {
 public:
  ReferenceFire(int32_t width, int32_t height) : host_(instance_), width_(width), height_(height) {
    host_.SetTimeStep(1);
    host_.SetFrame(width, height);
    started_ = host_.Start() == PF_Err_NONE;
  }
  bool Started() const { return started_; }
  bool Set(const EffectSetting& setting) { return host_.SetValue(setting.first, setting.second); }
  EffectHost& Host() { return host_; }

  // Frame `frame` of RGBA source bytes; RGBA bytes out.
  std::vector<uint8_t> Render(int32_t frame, const std::vector<uint8_t>& rgba) {
    host_.SetInputRgba(rgba.data(), width_, height_);
    host_.FrameSetup();
    host_.Render(frame);
    std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4);
    host_.OutputRgba(out.data());
    return out;
  }

 private:
  EffectInstance instance_;  // before host_, which drives it
  EffectHost host_;
  int32_t width_, height_;
  bool started_ = false;
};

// A moving source: a bright disc drifting right over a dark-to-light diagonal gradient, with
// a fully transparent dark strip (with the source inverted, only its alpha keeps it out of
// the fire) and colour
// channels that differ from each other, so that a swapped byte shows.
inline std::vector<uint8_t> TestSource(int32_t width, int32_t height, int32_t index) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  const int32_t cx = width / 4 + index * 3, cy = height * 2 / 3, r = height / 5;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      const int32_t level = (x + y) * 255 / (width + height);
      p[0] = static_cast<uint8_t>(level);
      p[1] = static_cast<uint8_t>(level / 2);
      p[2] = static_cast<uint8_t>(255 - level);
      p[3] = 255;
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r) p[0] = p[1] = p[2] = 250;
      if (x >= width - 8) {
        p[0] = p[1] = p[2] = 10;
        p[3] = 0;
      }
    }
  }
  return rgba;
}
