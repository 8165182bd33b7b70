// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/fire_timeline.h"

#include <algorithm>
#include <utility>

#define XXH_INLINE_ALL
#include <xxhash.h>


namespace {

uint64_t Digest(const void* data, size_t size) { return XXH3_64bits(data, size); }
uint64_t Digest(const FireValues& values) { return Digest(values.data(), sizeof values); }

}  // namespace

FireTimeline::FireTimeline(size_t snapshotBudget)
    : budget_(snapshotBudget), snapshots_(snapshotBudget) {}

void FireTimeline::ShareBudget() {
  const size_t other = history_.capacity() * sizeof(FrameRecord) + packer_.Bytes();
  snapshots_.SetBudget(budget_ > other ? budget_ - other : 0);
}

bool FireTimeline::InStep(int32_t frame) const {
  return frame == live_ + 1 || (frame == live_ && haveOutput_);
}

void FireTimeline::Collect(bool wait) {
  if (!packer_.Busy()) return;
  FireSnapshot packed;
  const bool done = packer_.Take(wait, &packed);
  if (!packer_.Busy()) ShareBudget();
  if (done) snapshots_.Keep(std::move(packed));
}

bool FireTimeline::SizeIs(int32_t width, int32_t height) const {
  return fire_.Width() == width && fire_.Height() == height;
}

bool FireTimeline::Resize(int32_t width, int32_t height) {
  if (SizeIs(width, height)) return true;
  if (!fire_.Resize(width, height)) {
    haveOutput_ = false;  // the fire and its states stay, for the size the host comes back to
    return false;
  }
  Forget();
  return true;
}

void FireTimeline::Forget() {
  packer_.Release();  // what it packs is of what goes
  history_.clear();
  history_.shrink_to_fit();
  ShareBudget();
  snapshots_.Reset(fire_.CellBytes());
  Restart();
  live_ = 0;
  haveOutput_ = false;
  recheck_ = false;
}

int32_t FireTimeline::StartFrame(int32_t frame) const {
  int32_t start = 0;
  if (live_ < frame || (live_ == frame && haveOutput_)) start = live_;
  if (const FireSnapshot* saved = snapshots_.Before(frame)) start = std::max(start, saved->frame);
  return start;
}

int32_t FireTimeline::FirstFrameToRead(int32_t frame) const {
  const int32_t start = StartFrame(frame);
  return start == frame ? frame : start + 1;
}

int32_t FireTimeline::FirstFrameToRead(int32_t frame, FireInputs& inputs) {
  if (!InStep(frame)) Collect(true);  // every state in place before the frames are told
  if (recheck_ && frame >= 1 && frame <= kLastFrame) {
    FireValues values;
    if (!inputs.Values(frame, &values) || !CheckValues(StartFrame(frame), frame, values, inputs)) {
      return 1;
    }
    recheck_ = false;
  }
  return FirstFrameToRead(frame);
}

FireStatus FireTimeline::Render(int32_t frame, int32_t width, int32_t height,
                                FireInputs& inputs) {
  framesRendered_ = 0;
  if (frame < 1 || frame > kLastFrame) return FireStatus::kPastEnd;
  if (!Resize(width, height)) return FireStatus::kOutOfMemory;
  FireValues values;
  if (!inputs.Values(frame, &values)) return FireStatus::kInputFailed;
  if (!InStep(frame)) Collect(true);
  // A changed source shows itself only as a frame that comes back different; then no state
  // holds, and the second pass replays from frame 1 with nothing left to compare.
  for (int pass = 0; pass < 2; ++pass) {
    int32_t start = StartFrame(frame);
    const bool inStep = start == live_ && (start == frame || start == frame - 1);
    bool changed = recheck_ || !inStep;
    if (!changed) {
      const FireStatus status = LiveValuesChanged(frame, values, inputs, &changed);
      if (status != FireStatus::kOk) return status;
    }
    if (changed) {
      if (!CheckValues(start, frame, values, inputs)) return FireStatus::kInputFailed;
      recheck_ = false;
      start = StartFrame(frame);
    }
    bool sourceChanged = false;
    const FireStatus status = Replay(start, frame, values, inputs, &sourceChanged);
    if (!sourceChanged) {
      Collect(false);
      return status;
    }
    Forget();
  }
  return FireStatus::kInputFailed;
}

FireStatus FireTimeline::LiveValuesChanged(int32_t frame, const FireValues& values,
                                           FireInputs& inputs, bool* changed) {
  *changed = false;
  if (live_ < 1) return FireStatus::kOk;
  FireValues live = values;
  if (live_ != frame && !inputs.Values(live_, &live)) return FireStatus::kInputFailed;
  *changed = Digest(live) != history_[live_ - 1].values;
  return FireStatus::kOk;
}

bool FireTimeline::CheckValues(int32_t last, int32_t frame, const FireValues& valuesAtFrame,
                               FireInputs& inputs) {
  const int32_t known = std::min<int32_t>(last, static_cast<int32_t>(history_.size()));
  FireValues values;
  for (int32_t k = 1; k <= known; ++k) {
    if (k == frame) {
      values = valuesAtFrame;
    } else if (!inputs.Values(k, &values)) {
      return false;
    }
    if (Digest(values) != history_[k - 1].values) {
      DropFrom(k);
      break;
    }
  }
  return true;
}

void FireTimeline::DropFrom(int32_t frame) {
  Collect(true);
  if (history_.size() >= static_cast<size_t>(frame)) history_.resize(frame - 1);
  snapshots_.DropFrom(frame);
  if (live_ >= frame) {
    Restart();
    live_ = 0;
    haveOutput_ = false;
  }
}

bool FireTimeline::MoveTo(int32_t start) {
  if (start == live_) return true;
  haveOutput_ = false;
  live_ = 0;
  if (start == 0) {
    Restart();
    return true;
  }
  if (!Restore(*snapshots_.Before(start + 1))) return false;
  live_ = start;
  return true;
}

void FireTimeline::Restart() { fire_.Restart(); }

bool FireTimeline::Restore(const FireSnapshot& saved) {
  if (RestoreFire(snapshots_, saved, fire_)) return true;
  Restart();
  return false;
}

FireStatus FireTimeline::Replay(int32_t start, int32_t frame, const FireValues& valuesAtFrame,
                                FireInputs& inputs, bool* sourceChanged) {
  FrameRecord record;
  ConstPixelView source;
  const int32_t width = fire_.Width(), height = fire_.Height();
  if (start == frame) {
    // The live frame again: its pixels stand while its values and source do.
    const FireStatus status = inputs.Source(frame, &source);
    if (status != FireStatus::kOk) return status;
    digest_.Begin(source, width, height);
    record.source = digest_.Finish();
    record.values = Digest(valuesAtFrame);
    if (record.source != history_[frame - 1].source) {
      *sourceChanged = true;
      return FireStatus::kOk;
    }
    if (record.values == history_[frame - 1].values) return FireStatus::kOk;
    DropFrom(frame);
    start = StartFrame(frame);
  }
  if (!MoveTo(start)) return FireStatus::kOutOfMemory;
  FireValues values;
  for (int32_t k = start + 1; k <= frame; ++k) {
    if (inputs.Aborted()) return FireStatus::kAborted;
    if (k == frame) {
      values = valuesAtFrame;
    } else if (!inputs.Values(k, &values)) {
      return FireStatus::kInputFailed;
    }
    const FireStatus status = inputs.Source(k, &source);
    if (status != FireStatus::kOk) return status;
    // The source's digest is taken as the render reads it; a source found changed then
    // leaves a fire that is restarted anyway.
    haveOutput_ = false;
    fire_.Values() = EffectValuesOf(values);
    digest_.Begin(source, width, height);
    const bool rendered = fire_.Render(k, width, height, source, &digest_);
    record.source = digest_.Finish();
    record.values = Digest(values);
    if (!Record(k, record)) {
      Restart();
      live_ = 0;
      *sourceChanged = true;
      return FireStatus::kOk;
    }
    if (!rendered) {
      Restart();
      live_ = 0;
      return FireStatus::kOutOfMemory;
    }
    live_ = k;
    haveOutput_ = true;
    ++framesRendered_;
    if (snapshots_.Wants(k)) {
      Collect(true);  // one state at a time: the one before was begun a spacing ago
      if (snapshots_.Wants(k)) {
        const size_t held = packer_.Bytes();
        if (!packer_.Start(k, fire_, snapshots_.DeflatesNext())) SaveFire(snapshots_, k, fire_);
        if (packer_.Bytes() != held) ShareBudget();
      }
    }
  }
  return FireStatus::kOk;
}

bool FireTimeline::Record(int32_t frame, const FrameRecord& record) {
  if (static_cast<size_t>(frame) <= history_.size()) {
    const FrameRecord& seen = history_[frame - 1];
    if (seen.source != record.source) return false;
    if (seen.values == record.values) return true;
    // The states after this frame were made with other values here.
    Collect(true);
    snapshots_.DropFrom(frame);
    history_.resize(frame - 1);
  }
  const size_t capacity = history_.capacity();
  history_.push_back(record);
  if (history_.capacity() != capacity) ShareBudget();
  return true;
}
