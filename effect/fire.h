// SPDX-License-Identifier: GPL-2.0-or-later
// One fire as every front end drives it: the effect's values by the table's index, the fire's
// state and its three buffers, owned by the caller. A render reads the source's brightness
// where the host holds it and colours the heat straight into the output, whatever their
// layouts; nothing of a host is played.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "effect/effect_params.h"
#include "effect/fire_pixels.h"
#include "effect/pixel_view.h"
#include "flame/flame_sequence.h"
#include "flame/flame_state.h"
#include "flame/render_flame.h"

// The effect's values, by the table's index (kEffectParams), each as the effect keeps it:
// sliders and check boxes as integers, colours as 0xRRGGBB, angles in 16.16 degrees.
using EffectValues = std::array<int32_t, kEffectParamCount>;
EffectValues DefaultEffectValues();

// The values as a render reads them (the plug-in reads its parameter records the same way),
// for frame `frame` of a width x height frame.
FlameRenderValues RenderValuesOf(const EffectValues& values, int32_t frame, int32_t width,
                                 int32_t height);

// One frame of a fire whose state and buffers its caller keeps: the source read where it lies
// (through `rowBuffer`, `source.width` pixels, where it is not laid out as the host lays its
// pixels out) and the heat coloured into `output` as the engine colours it (no pixels: left to
// the caller). The Fire renders through this, and so does the compositing host's plug-in,
// which keeps the state in its instance and the buffers in its sequence record.
FlameRenderResult RenderEffectFrame(FlameState& state, FlameSequenceData& buffers,
                                    const FlameRenderValues& values,
                                    const ConstPixelView& source, FlamePixel* rowBuffer,
                                    const FlameOutputImage& output);

class Fire {
 public:
  // A fire as a freshly loaded effect starts one: its state at load, no buffers yet, every
  // value its default.
  Fire() = default;
  ~Fire();
  Fire(const Fire&) = delete;
  Fire& operator=(const Fire&) = delete;

  EffectValues& Values() { return values_; }
  const EffectValues& Values() const { return values_; }
  // The value of the parameter at `position` in the host's order (kParamVelocity ...).
  void SetValue(FlameParam position, int32_t value) { values_[position - 1] = value; }
  int32_t Value(FlameParam position) const { return values_[position - 1]; }

  // Frame `frame` of the sequence (frame 1 restarts the stepping; 0 is taken as 1): the
  // source's brightness feeds the fire (an empty source feeds nothing) and the heat is
  // coloured into `output`, whose size is the frame's. False when the buffers of a new frame
  // size cannot be had: nothing is written, and the next render tries again.
  bool Render(int32_t frame, const ConstPixelView& source, const PixelView& output);
  // The same, the heat coloured over the source ("over" with straight alpha,
  // effect/fire_over.h) as each row is written; an empty source is opaque black. False, with
  // nothing rendered, also for layouts the over does not take (LaysOver).
  bool RenderOver(int32_t frame, const ConstPixelView& source, const PixelView& output);
  // The same for a width x height frame, coloured by the caller from Heat() and Colours();
  // each source row the render reads is shown to `watcher` where there is one.
  bool Render(int32_t frame, int32_t width, int32_t height, const ConstPixelView& source,
              SourceRowWatcher* watcher = nullptr);

  // The heat field of the last render, Width() cells a row, top row first.
  const uint8_t* Heat() const { return sequence_.field; }
  // The output pixel of each heat, with the last render's colours and "Alpha".
  void Colours(FlamePixel colours[256]) const;
  int32_t Width() const { return sequence_.width; }
  int32_t Height() const { return sequence_.height; }
  // Bytes of each of the three buffers (width x height); 0 without buffers.
  size_t CellBytes() const;

  // Zero-filled buffers for a width x height frame, had before the old ones go, and the
  // state at load: what a render at that size starts from. False when they cannot be had,
  // and the fire is as it was.
  bool Resize(int32_t width, int32_t height);
  // The state at load; the buffers are kept, cleared.
  void Restart();
  // The state at load and no buffers: a new sequence of a freshly loaded effect.
  void Reset();

  // What saving and restoring a fire copies: the state and the three buffers.
  FlameState& State() { return state_; }
  const FlameState& State() const { return state_; }
  FlameSequenceData& Buffers() { return sequence_; }

 private:
  bool RenderColoured(int32_t frame, const ConstPixelView& source, const PixelView& output,
                      bool over);

  EffectValues values_ = DefaultEffectValues();
  FlameState state_;
  FlameSequenceData sequence_{};
  std::vector<FlamePixel> row_;  // a source row as the host lays it out, where it is not
};
