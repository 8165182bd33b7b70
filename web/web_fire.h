// SPDX-License-Identifier: GPL-2.0-or-later
// One fire for the page: a Fire of its own, its values by the table's index, a source of RGBA
// pixels read where the page put them, and frame n rendered straight into RGBA with straight
// alpha, each byte the renderer's.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "effect/fire.h"
#include "effect/fire_snapshots.h"
#include "web/param_timeline.h"

class WebFire {
 public:
  // A fire as a freshly loaded effect starts one, every value its default.
  WebFire() = default;
  WebFire(const WebFire&) = delete;
  WebFire& operator=(const WebFire&) = delete;

  const EffectValues& Values() const { return fire_.Values(); }
  // The value of the parameter at `position` (a colour as 0xRRGGBB).
  void SetValue(FlameParam position, int32_t value) { fire_.SetValue(position, value); }

  // Room for a source of width x height RGBA pixels (straight alpha, rows top first), which
  // the caller fills and then hands over with SetSource.
  uint8_t* SourceBuffer(int32_t width, int32_t height);
  // The buffer becomes the source and sets the frame size.
  void SetSource();

  // Starts the fire afresh, as a new run of the renderer starts it: the state at load and no
  // buffers yet. Rendering frame 1 restarts the stepping but keeps what else the fire carries
  // from frame to frame, as in a host. The values now are the run's values at frame 1, and the
  // run's changes begin anew.
  void Restart();

  // A value the user set in this run, holding from `frame` on: the next frame to be made
  // while the fire plays, the frame on show while it is paused (then made again with Replay).
  void ChangeValue(FlameParam position, int32_t value, int32_t frame);
  // Makes frames 1 to `frame` of the run again, each with its own values, as the renderer
  // makes them from the run's keys; false when a frame could not be made. With `fromStates`
  // (a still source, the one each frame of the run had) it goes on from the nearest state
  // before `frame` that the run's values still hold for: the one before the frame it last
  // made again, or a saved one.
  bool Replay(int32_t frame, bool fromStates);
  // Keeps saved states of the run, within `budgetBytes` (0: none), as the frames are made.
  void KeepStates(double budgetBytes);
  // While paused: each frame made in order keeps the state before it, as Replay does, so that
  // a change at the frame on show makes that one frame again.
  void KeepLastStates(bool keep) { keepLast_ = keep; }
  // The frame whose state before it is kept (Replay's or a paused Render's); 0: none.
  int32_t LastStateFrame() const { return last_.frame > 0 ? last_.frame + 1 : 0; }
  // The run's values over time, once Restart has begun a run.
  const ParamTimeline& Timeline() const { return timeline_; }
  // Takes the values over time of `other`'s run, for frames made apart from it (an export).
  void FollowRun(const WebFire& other) { timeline_ = other.timeline_; }

  // Renders frame `frame` into Output(), with the run's values at that frame once a run has
  // begun; false when the fire's buffers cannot be had (out of memory).
  bool Render(int32_t frame);
  const std::vector<uint8_t>& Output() const { return output_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  void NewSequence();
  // The state before the last frame that Replay made, as it lies: a change while paused at a
  // frame makes that frame again from it.
  struct LastState {
    int32_t frame = 0;  // the state after this frame; 0: none
    FlameState flame;
    std::vector<uint8_t> buffers;  // mask, field and drops
  };
  void KeepLastState(int32_t frame);
  bool PutBackLastState();
  // States made from values at `frame` and after no longer hold.
  void ForgetStatesFrom(int32_t frame);

  Fire fire_;
  ParamTimeline timeline_;
  int32_t sourceWidth_ = 0, sourceHeight_ = 0;
  int32_t width_ = 0, height_ = 0;  // the frame's: the source's when it was handed over
  std::vector<uint8_t> source_;  // RGBA
  std::vector<uint8_t> output_;  // RGBA
  std::unique_ptr<FireSnapshots> snapshots_;  // null: none kept
  size_t statesBudget_ = 0;
  LastState last_;
  bool keepLast_ = false;
  int32_t live_ = 0;  // the frame the fire's state is after; 0: the state at load
};
