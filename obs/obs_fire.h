// SPDX-License-Identifier: GPL-2.0-or-later
// One filter's fire, one frame per call, read from and written into OBS's pixels where they
// lie (RGBA, premultiplied alpha). The fire sees its source with straight alpha, as every other
// front end hands it, and is laid over the source with straight alpha. No libobs here: the
// filter does the drawing, this does the bytes.
#pragma once

#include <cstdint>
#include <memory>

#include "effect/fire.h"

class ObsFire {
 public:
  // A fire for frames of this size, at frame 0. Null when the size is unusable or its buffers
  // cannot be had.
  static std::unique_ptr<ObsFire> Create(uint32_t width, uint32_t height);
  ObsFire(const ObsFire&) = delete;
  ObsFire& operator=(const ObsFire&) = delete;

  uint32_t Width() const { return static_cast<uint32_t>(width_); }
  uint32_t Height() const { return static_cast<uint32_t>(height_); }
  int32_t Frame() const { return frame_; }

  // The next frame (the first is frame 1) from `source`, Height() rows of Width() RGBA pixels
  // with premultiplied alpha, `sourceRowBytes` apart, with these values. `out` receives
  // Height() rows of Width() RGBA pixels with premultiplied alpha, `outRowBytes` apart: the
  // fire alone, or the fire over the source. False when the fire's memory cannot be had
  // (nothing is written then).
  bool Step(const uint8_t* source, uint32_t sourceRowBytes, const EffectValues& values,
            bool fireAlone, uint8_t* out, uint32_t outRowBytes);

 private:
  ObsFire(int32_t width, int32_t height);

  Fire fire_;
  int32_t width_;
  int32_t height_;
  int32_t frame_ = 0;
};
