// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/web_fire.h"

#include <cstring>
#include <stdexcept>

#include "host/effect_fire.h"
#include "minihost/rgba_pixels.h"

WebFire::WebFire() {
  const PF_Err err = host_.Start();
  if (err != PF_Err_NONE) {
    throw std::runtime_error("the effect refused to start (host error " + std::to_string(err) +
                             ")");
  }
}

bool WebFire::SetValue(const std::string& name, int32_t value) {
  return host_.SetValue(name, value);
}

bool WebFire::SetColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue) {
  return host_.SetColor(name, red, green, blue);
}

uint8_t* WebFire::SourceBuffer(int32_t width, int32_t height) {
  sourceWidth_ = width;
  sourceHeight_ = height;
  source_.resize(static_cast<size_t>(width) * height * 4);
  return source_.data();
}

void WebFire::SetSource() {
  const size_t pixels = static_cast<size_t>(sourceWidth_) * sourceHeight_;
  host_.SetInput(HostPixelsInPlace(source_.data(), pixels), sourceWidth_, sourceHeight_);
  if (sourceWidth_ != host_.FrameWidth() || sourceHeight_ != host_.FrameHeight()) {
    host_.SetFrame(sourceWidth_, sourceHeight_);
  }
}

PF_Err WebFire::Restart() {
  timeline_.Begin(host_);
  ForgetStatesFrom(1);
  return NewSequence();
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
  const EffectFireBuffers buffers = FireBuffersOf(&host_.InData());
  last_.frame = 0;
  if (!buffers.field) return;
  last_.buffers.resize(3 * buffers.cells);
  uint8_t* to = last_.buffers.data();
  for (const uint8_t* from : {buffers.mask, buffers.field, buffers.drops}) {
    std::memcpy(to, from, buffers.cells);
    to += buffers.cells;
  }
  last_.flame = instance_.flame;
  last_.frame = frame;
}

bool WebFire::PutBackLastState() {
  const EffectFireBuffers buffers = FireBuffersOf(&host_.InData());
  if (!buffers.field || last_.buffers.size() != 3 * buffers.cells) return false;
  const uint8_t* from = last_.buffers.data();
  for (uint8_t* to : {buffers.mask, buffers.field, buffers.drops}) {
    std::memcpy(to, from, buffers.cells);
    from += buffers.cells;
  }
  instance_.flame = last_.flame;
  return true;
}

PF_Err WebFire::NewSequence() {
  live_ = 0;
  const PF_Err err = host_.SequenceSetdown();
  instance_ = EffectInstance{};
  return err != PF_Err_NONE ? err : host_.SequenceSetup();
}

bool WebFire::ChangeValue(const std::string& name, int32_t value, int32_t frame) {
  if (!host_.SetValue(name, value)) return false;
  timeline_.Change(host_, host_.FindParam(name), frame);
  ForgetStatesFrom(frame);
  return true;
}

bool WebFire::ChangeColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue,
                          int32_t frame) {
  if (!host_.SetColor(name, red, green, blue)) return false;
  timeline_.Change(host_, host_.FindParam(name), frame);
  ForgetStatesFrom(frame);
  return true;
}

PF_Err WebFire::Replay(int32_t frame, bool fromStates) {
  // The state to go on from, after frame `from`; 0: the state at load.
  int32_t from = 0;
  if (fromStates && snapshots_) {
    const FireSnapshot* saved = snapshots_->Before(frame);
    if (last_.frame > 0 && last_.frame < frame && (!saved || saved->frame <= last_.frame) &&
        PutBackLastState()) {
      from = last_.frame;
    } else if (saved && RestoreEffectFire(*snapshots_, *saved, instance_, &host_.InData())) {
      from = saved->frame;
    }
    live_ = from;
  }
  PF_Err err = from > 0 ? PF_Err_NONE : NewSequence();
  const bool keepLast = keepLast_;
  keepLast_ = false;  // only the state before `frame` is kept
  for (int32_t n = from + 1; n <= frame && err == PF_Err_NONE; ++n) {
    if (fromStates && snapshots_ && n == frame) KeepLastState(n - 1);
    err = Render(n);
  }
  keepLast_ = keepLast;
  // The host holds the values of the next frame again: the latest the user set.
  timeline_.ApplyAt(host_, frame + 1);
  return err;
}

PF_Err WebFire::Render(int32_t frame) {
  if (keepLast_ && snapshots_ && frame > 1 && live_ == frame - 1 && last_.frame != frame - 1) {
    KeepLastState(frame - 1);
  }
  timeline_.ApplyAt(host_, frame);
  PF_Err err = host_.FrameSetup();
  if (err == PF_Err_NONE) err = host_.Render(frame);
  live_ = err == PF_Err_NONE ? frame : -1;
  if (err == PF_Err_NONE && snapshots_) {
    // States of the run, for a change while paused; a new frame size begins them anew.
    const size_t cells = FireBuffersOf(&host_.InData()).cells;
    if (cells != snapshots_->BufferBytes()) {
      snapshots_->Reset(cells);
      last_.frame = 0;
    }
    // A frame so large that the states' least (ten of them as they lie) passes the budget
    // keeps none: a change while paused then makes the frames again from frame 1.
    if (snapshots_->Limit() <= statesBudget_ && snapshots_->Wants(frame)) {
      SaveEffectFire(*snapshots_, frame, instance_, &host_.InData());
    }
  }
  if (err == PF_Err_NONE) {
    output_.resize(static_cast<size_t>(Width()) * Height() * 4);
    RgbaFromHostPixels(host_.Output().data(), Width(), Height(), host_.OutputStride(),
                       output_.data());
  }
  return err;
}
