// SPDX-License-Identifier: GPL-2.0-or-later
// One filter's fire: an effect instance of its own with one sequence, driven through the
// effect's commands by the host of our own, one frame per call. Pixels come and go as OBS
// holds them (RGBA, premultiplied alpha); the effect sees its source with straight alpha, as
// every other front end hands it, and the fire is laid over the source with straight alpha.
// No libobs here: the filter does the drawing, this does the bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/effect_commands.h"
#include "minihost/effect_host.h"

// Each parameter's value as the effect keeps it, by display name: integers, check boxes 0/1,
// colours 0xRRGGBB, the angle in 16.16 fixed-point degrees.
using FireSettings = std::vector<std::pair<std::string, int32_t>>;

class ObsFire {
 public:
  // A fire for frames of this size, at frame 0. Null when the size is unusable or the effect
  // does not start.
  static std::unique_ptr<ObsFire> Create(uint32_t width, uint32_t height);
  ObsFire(const ObsFire&) = delete;
  ObsFire& operator=(const ObsFire&) = delete;

  uint32_t Width() const { return static_cast<uint32_t>(width_); }
  uint32_t Height() const { return static_cast<uint32_t>(height_); }
  int32_t Frame() const { return frame_; }

  // The next frame (the first is frame 1) from `source`, Height() rows of Width() RGBA pixels
  // with premultiplied alpha, `sourceRowBytes` apart, with these values. `out` receives
  // Height() rows of Width() RGBA pixels with premultiplied alpha, `outRowBytes` apart: the
  // fire alone, or the fire over the source. False when a value names no parameter (nothing is
  // rendered then).
  bool Step(const uint8_t* source, uint32_t sourceRowBytes, const FireSettings& settings,
            bool fireAlone, uint8_t* out, uint32_t outRowBytes);

 private:
  ObsFire(int32_t width, int32_t height);

  EffectInstance effect_;  // before host_, which drives it
  EffectHost host_;
  int32_t width_;
  int32_t height_;
  int32_t frame_ = 0;
};
