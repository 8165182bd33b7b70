// SPDX-License-Identifier: GPL-2.0-or-later
// One frei0r instance of the effect: a fire of its own, its values set from frei0r's, the frame
// index taken from the order of the updates, frames read and written in frei0r's RGBA where
// the host holds them. Instances share nothing: different instances may be driven from
// different threads at once. Calls on one instance from several threads at once (a host that
// slices a frame into bands and hands each band to the same instance) are taken one at a
// time, each band a frame of its own.
#pragma once

#include <cstdint>
#include <memory>

#include "effect/fire.h"
#include "effect/instance_lock.h"

class FyrelInstance {
 public:
  // A fire for frames of this size. Null when the size is unusable.
  static std::unique_ptr<FyrelInstance> Create(unsigned width, unsigned height);
  ~FyrelInstance() = default;
  FyrelInstance(const FyrelInstance&) = delete;
  FyrelInstance& operator=(const FyrelInstance&) = delete;

  // `value` points at the frei0r type of the parameter: a double for sliders, the angle and
  // check boxes, an f0r_param_color for colours. Unknown indices and null are ignored.
  void SetParam(int index, const void* value);
  void GetParam(int index, void* value) const;

  // One frame: RGBA bytes in, RGBA bytes out, width × height pixels each, no padding. The
  // first update is frame 1, every later one the next frame, and a time earlier than the
  // previous update's restarts at frame 1. A null input is fully transparent.
  void Update(double time, const uint32_t* inframe, uint32_t* outframe);

  // The frame the last update rendered; 0 before the first.
  int32_t LastFrame() const { return frame_; }

 private:
  FyrelInstance(int32_t width, int32_t height) : width_(width), height_(height) {}
  int32_t NextFrame(double time);

  mutable InstanceLock lock_;  // one call at a time
  Fire fire_;
  int32_t width_;
  int32_t height_;
  int32_t frame_ = 0;
  bool haveTime_ = false;
  double lastTime_ = 0.0;
};
