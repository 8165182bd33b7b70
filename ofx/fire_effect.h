// SPDX-License-Identifier: GPL-2.0-or-later
// One fire: the effect run on an instance of its own by the host of our own, restarted, saved
// and restored through the effect's own interface for a fire (host/effect_fire.h).
#pragma once

#include <cstdint>

#include "host/effect_commands.h"
#include "minihost/effect_host.h"
#include "ofx/fire_params.h"
#include "shared/fire_snapshots.h"

class FireEffect {
 public:
  FireEffect() : host_(instance_) {}
  FireEffect(const FireEffect&) = delete;
  FireEffect& operator=(const FireEffect&) = delete;

  // Global, parameter and sequence setup; false when the effect does not start.
  bool Start();

  // The frame size: everything a frame of that size needs (its source and output layers, the
  // fire's buffers) is had first, then the size is recorded and the fire restarts. False when
  // the memory cannot be had: the size and the fire stay as they were.
  bool SetFrameSize(int32_t width, int32_t height);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Bytes of the three buffers of a frame of this size.
  size_t CellBytes() const;

  // The source of the next render, the frame's size, to fill in place.
  PF_Pixel* Input() { return host_.InputPixels(width_, height_); }
  // Renders frame `frame` from the present state with these values and the source in Input().
  // False when the effect failed; the fire then holds no state worth keeping.
  bool Render(int32_t frame, const FireValues& values);
  // The frame last rendered, as the effect would colour it: each cell of the heat field (top
  // row first, Width() cells a row) is colours[heat], but the top row, which stays transparent.
  // The effect itself colours nothing: the front end colours the field straight into its image.
  const uint8_t* Heat();
  void Colours(PF_Pixel colours[256]) const;

  // The state at load: what frame 1 starts from.
  void Restart();
  // The state after a render of `frame`, kept in `snapshots` (packed there).
  void Save(FireSnapshots& snapshots, int32_t frame);
  // False when the snapshot is not of this frame size or cannot be unpacked (the fire is then
  // restarted).
  bool Restore(FireSnapshots& snapshots, const FireSnapshot& snapshot);

 private:
  EffectInstance instance_;
  EffectHost host_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
