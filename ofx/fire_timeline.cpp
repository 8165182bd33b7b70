// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/fire_timeline.h"

#include <algorithm>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "ofx/pixel_digest.h"

namespace {

uint64_t Digest(const void* data, size_t size) { return XXH3_64bits(data, size); }
uint64_t Digest(const FireValues& values) { return Digest(values.data(), sizeof values); }

}  // namespace

FireStatus FireInputs::DigestedSource(int32_t frame, PF_Pixel* pixels, size_t count,
                                      uint64_t* digest) {
  const FireStatus status = Source(frame, pixels);
  if (status == FireStatus::kOk) *digest = PixelDigest::Of(pixels, count);
  return status;
}

FireTimeline::FireTimeline(size_t snapshotBudget)
    : budget_(snapshotBudget), snapshots_(snapshotBudget) {}

void FireTimeline::ShareBudget() {
  const size_t record = history_.capacity() * sizeof(FrameRecord);
  snapshots_.SetBudget(budget_ > record ? budget_ - record : 0);
}

bool FireTimeline::SizeIs(int32_t width, int32_t height) const {
  return effect_.Width() == width && effect_.Height() == height;
}

bool FireTimeline::Resize(int32_t width, int32_t height) {
  if (SizeIs(width, height)) return true;
  if (!effect_.SetFrameSize(width, height)) {
    haveOutput_ = false;  // the fire and its states stay, for the size the host comes back to
    return false;
  }
  Forget();
  return true;
}

void FireTimeline::Forget() {
  history_.clear();
  history_.shrink_to_fit();
  ShareBudget();
  snapshots_.Reset(effect_.CellBytes() / 3);
  effect_.Restart();
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
    if (!sourceChanged) return status;
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
  if (history_.size() >= static_cast<size_t>(frame)) history_.resize(frame - 1);
  snapshots_.DropFrom(frame);
  if (live_ >= frame) {
    effect_.Restart();
    live_ = 0;
    haveOutput_ = false;
  }
}

bool FireTimeline::MoveTo(int32_t start) {
  if (start == live_) return true;
  haveOutput_ = false;
  live_ = 0;
  if (start == 0) {
    effect_.Restart();
    return true;
  }
  const FireSnapshot* saved = snapshots_.Before(start + 1);
  if (!effect_.Restore(snapshots_, *saved)) return false;
  live_ = start;
  return true;
}

FireStatus FireTimeline::ReadSource(int32_t frame, const FireValues& values, FireInputs& inputs,
                                    FrameRecord* record) {
  const size_t count = static_cast<size_t>(effect_.Width()) * static_cast<size_t>(effect_.Height());
  const FireStatus status = inputs.DigestedSource(frame, effect_.Input(), count, &record->source);
  if (status != FireStatus::kOk) return status;
  record->values = Digest(values);
  return FireStatus::kOk;
}

FireStatus FireTimeline::Replay(int32_t start, int32_t frame, const FireValues& valuesAtFrame,
                                FireInputs& inputs, bool* sourceChanged) {
  FrameRecord record;
  if (start == frame) {
    // The live frame again: its pixels stand while its values and source do.
    const FireStatus status = ReadSource(frame, valuesAtFrame, inputs, &record);
    if (status != FireStatus::kOk) return status;
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
    const FireStatus status = ReadSource(k, values, inputs, &record);
    if (status != FireStatus::kOk) return status;
    if (!Record(k, record)) {
      *sourceChanged = true;
      return FireStatus::kOk;
    }
    haveOutput_ = false;
    if (!effect_.Render(k, values)) {
      effect_.Restart();
      live_ = 0;
      return FireStatus::kOutOfMemory;
    }
    live_ = k;
    haveOutput_ = true;
    ++framesRendered_;
    if (snapshots_.Wants(k)) effect_.Save(snapshots_, k);
  }
  return FireStatus::kOk;
}

bool FireTimeline::Record(int32_t frame, const FrameRecord& record) {
  if (static_cast<size_t>(frame) <= history_.size()) {
    const FrameRecord& seen = history_[frame - 1];
    if (seen.source != record.source) return false;
    if (seen.values == record.values) return true;
    // The states after this frame were made with other values here.
    snapshots_.DropFrom(frame);
    history_.resize(frame - 1);
  }
  const size_t capacity = history_.capacity();
  history_.push_back(record);
  if (history_.capacity() != capacity) ShareBudget();
  return true;
}
