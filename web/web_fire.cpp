// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/web_fire.h"

#include <cstring>

uint8_t* WebFire::SourceBuffer(int32_t width, int32_t height) {
  sourceWidth_ = width;
  sourceHeight_ = height;
  source_.resize(static_cast<size_t>(width) * height * 4);
  return source_.data();
}

void WebFire::SetSource() {
  width_ = sourceWidth_;
  height_ = sourceHeight_;
}

void WebFire::Restart() {
  timeline_.Begin(fire_.Values());
  ForgetStatesFrom(1);
  NewSequence();
}

void WebFire::KeepStates(double budgetBytes) {
  statesBudget_ = budgetBytes > 0 ? static_cast<size_t>(budgetBytes) : 0;
  snapshots_.reset(statesBudget_ > 0 ? new FireSnapshots(statesBudget_) : nullptr);
  last_ = LastState{};
}

void WebFire::ForgetStatesFrom(int32_t frame) {
  if (snapshots_) snapshots_->DropFrom(frame);
  if (last_.frame >= frame) last_.frame = 0;
}

void WebFire::KeepLastState(int32_t frame) {
  const FlameSequenceData& buffers = fire_.Buffers();
  const size_t cells = fire_.CellBytes();
  last_.frame = 0;
  if (!buffers.field) return;
  last_.buffers.resize(3 * cells);
  uint8_t* to = last_.buffers.data();
  for (const uint8_t* from : {buffers.mask, buffers.field, buffers.drops}) {
    std::memcpy(to, from, cells);
    to += cells;
  }
  last_.flame = fire_.State();
  last_.frame = frame;
}

bool WebFire::PutBackLastState() {
  const FlameSequenceData& buffers = fire_.Buffers();
  const size_t cells = fire_.CellBytes();
  if (!buffers.field || last_.buffers.size() != 3 * cells) return false;
  const uint8_t* from = last_.buffers.data();
  for (uint8_t* to : {buffers.mask, buffers.field, buffers.drops}) {
    std::memcpy(to, from, cells);
    from += cells;
  }
  fire_.State() = last_.flame;
  return true;
}

void WebFire::NewSequence() {
  live_ = 0;
  fire_.Reset();
}

void WebFire::ChangeValue(FlameParam position, int32_t value, int32_t frame) {
  fire_.SetValue(position, value);
  timeline_.Change(fire_.Values(), position, frame);
  ForgetStatesFrom(frame);
}

bool WebFire::Replay(int32_t frame, bool fromStates) {
  // The state to go on from, after frame `from`; 0: the state at load.
  int32_t from = 0;
  if (fromStates && snapshots_) {
    const FireSnapshot* saved = snapshots_->Before(frame);
    if (last_.frame > 0 && last_.frame < frame && (!saved || saved->frame <= last_.frame) &&
        PutBackLastState()) {
      from = last_.frame;
    } else if (saved && RestoreFire(*snapshots_, *saved, fire_)) {
      from = saved->frame;
    }
    live_ = from;
  }
  if (from == 0) NewSequence();
  bool done = true;
  const bool keepLast = keepLast_;
  keepLast_ = false;  // only the state before `frame` is kept
  for (int32_t n = from + 1; n <= frame && done; ++n) {
    if (fromStates && snapshots_ && n == frame) KeepLastState(n - 1);
    done = Render(n);
  }
  keepLast_ = keepLast;
  // The fire holds the values of the next frame again: the latest the user set.
  timeline_.ApplyAt(fire_.Values(), frame + 1);
  return done;
}

bool WebFire::Render(int32_t frame) {
  if (keepLast_ && snapshots_ && frame > 1 && live_ == frame - 1 && last_.frame != frame - 1) {
    KeepLastState(frame - 1);
  }
  timeline_.ApplyAt(fire_.Values(), frame);
  output_.resize(static_cast<size_t>(width_) * height_ * 4);
  const uint8_t* pixels = source_.empty() ? nullptr : source_.data();
  const ConstPixelView source = PackedView(pixels, sourceWidth_, sourceHeight_, PixelLayout::kRgba);
  const bool done =
      fire_.Render(frame, source, PackedView(output_.data(), width_, height_, PixelLayout::kRgba));
  live_ = done ? frame : -1;
  if (done && snapshots_) {
    // States of the run, for a change while paused; a new frame size begins them anew.
    const size_t cells = fire_.CellBytes();
    if (cells != snapshots_->BufferBytes()) {
      snapshots_->Reset(cells);
      last_.frame = 0;
    }
    // A frame so large that the states' least (ten of them as they lie) passes the budget
    // keeps none: a change while paused then makes the frames again from frame 1.
    if (snapshots_->Limit() <= statesBudget_ && snapshots_->Wants(frame)) {
      SaveFire(*snapshots_, frame, fire_);
    }
  }
  return done;
}
