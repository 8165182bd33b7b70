// SPDX-License-Identifier: GPL-2.0-or-later
// One fire for the page: an instance of the effect of its own, started in the host of our own
// as the renderer starts it, its parameters set by display name, a source layer given as RGBA,
// and frame n rendered to RGBA with straight alpha, each byte the renderer's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/effect_commands.h"
#include "minihost/effect_host.h"
#include "shared/fire_snapshots.h"
#include "shared/param_timeline.h"

class WebFire {
 public:
  // Global, parameter and sequence setup; throws std::runtime_error when the effect refuses.
  WebFire();
  WebFire(const WebFire&) = delete;
  WebFire& operator=(const WebFire&) = delete;

  const EffectHost& Host() const { return host_; }
  EffectHost& Host() { return host_; }
  // False when the effect has no parameter of that name (or, for a colour, of that type).
  bool SetValue(const std::string& name, int32_t value);
  bool SetColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue);

  // Room for a source of width x height RGBA pixels (straight alpha, rows top first), which
  // the caller fills and then hands over with SetSource.
  uint8_t* SourceBuffer(int32_t width, int32_t height);
  // The buffer becomes the input layer and sets the frame size.
  void SetSource();

  // Starts the fire afresh, as a new run of the renderer starts it: a new sequence (no flame
  // buffers yet) and the instance of a freshly loaded effect. Rendering frame 1 restarts the
  // stepping but keeps what else the fire carries from frame to frame, as in a host. The
  // values now are the run's values at frame 1, and the run's changes begin anew.
  PF_Err Restart();

  // A value the user set in this run, holding from `frame` on: the next frame to be made
  // while the fire plays, the frame on show while it is paused (then made again with Replay).
  // False when the effect has no parameter of that name (or, for a colour, of that type).
  bool ChangeValue(const std::string& name, int32_t value, int32_t frame);
  bool ChangeColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue,
                   int32_t frame);
  // Makes frames 1 to `frame` of the run again, each with its own values, as the renderer
  // makes them from the run's keys; the host's error code. With `fromStates` (a still source,
  // the one each frame of the run had) it goes on from the nearest state before `frame` that
  // the run's values still hold for: the one before the frame it last made again, or a saved
  // one.
  PF_Err Replay(int32_t frame, bool fromStates);
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
  // begun; the host's error code.
  PF_Err Render(int32_t frame);
  const std::vector<uint8_t>& Output() const { return output_; }
  int32_t Width() const { return host_.FrameWidth(); }
  int32_t Height() const { return host_.FrameHeight(); }

 private:
  PF_Err NewSequence();
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

  EffectInstance instance_;
  EffectHost host_{instance_};
  ParamTimeline timeline_;
  int32_t sourceWidth_ = 0, sourceHeight_ = 0;
  std::vector<uint8_t> source_;  // RGBA, then the host's pixels in place
  std::vector<uint8_t> output_;  // RGBA
  std::unique_ptr<FireSnapshots> snapshots_;  // null: none kept
  size_t statesBudget_ = 0;
  LastState last_;
  bool keepLast_ = false;
  int32_t live_ = 0;  // the frame the effect's state is after; 0: the state at load
};
