// One fire: the effect driven through its command runner by the host of our own, on a state
// of its own, with the whole state saved to and restored from a snapshot.
#pragma once

#include <cstdint>

#include "flame/flame_sequence.h"
#include "minihost/effect_host.h"
#include "ofx/fire_params.h"
#include "ofx/fire_snapshots.h"

class FireEffect {
 public:
  FireEffect();
  ~FireEffect();
  FireEffect(const FireEffect&) = delete;
  FireEffect& operator=(const FireEffect&) = delete;

  // Global, parameter and sequence setup; false when the effect does not start.
  bool Start();

  // The frame size; the fire restarts (state at load, no buffers).
  void SetFrameSize(int32_t width, int32_t height);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Bytes of the three buffers of a frame of this size.
  size_t CellBytes() const;

  // Renders frame `frame` from the present state: the values, and the source as the effect's
  // pixels (width x height, top row first). False when the buffers could not be had; the fire
  // then holds no state worth keeping.
  bool Render(int32_t frame, const FireValues& values, const uint8_t* source);
  // The frame last rendered, in the effect's pixels.
  const uint8_t* Pixels() const;

  // The state at load, with no buffers: what frame 1 starts from.
  void Restart();
  void Save(FireSnapshot& snapshot) const;
  // False when the buffers could not be had (the fire is then restarted).
  bool Restore(const FireSnapshot& snapshot);

 private:
  FlameSequenceData* Sequence() const;

  FlameState flame_;
  EffectHost host_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
