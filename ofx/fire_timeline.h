// SPDX-License-Identifier: GPL-2.0-or-later
// Frame t is frame t: the fire of frame n is what a fresh fire gives after frames 1 .. n, each
// with its own source frame and values, whatever order the frames are asked in and however
// often. The live fire moves one frame per frame in order; a frame out of order replays from
// the nearest saved state before it. Every state is used only while what it was made from
// still holds: the values of each frame before it (read again at their own times after a seek
// or a reported change, and whenever the live frame's values, read again, are not those it was
// made with), the source frames seen since (a frame that comes back different means the source
// changed, and every state goes), and the frame size. What each frame was made from is kept as
// two digests, 16 bytes a frame, counted in the instance's memory budget; a fire has at most
// kLastFrame frames, so that record stays within 16 MiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "effect/fire.h"
#include "effect/pixel_view.h"
#include "ofx/fire_params.h"
#include "ofx/source_digest.h"
#include "ofx/state_packer.h"
#include "effect/fire_snapshots.h"

enum class FireStatus {
  kOk,
  kInputFailed,  // a frame's values or source could not be read
  kOutOfMemory,  // the fire's buffers could not be had
  kAborted,      // the host asked the render to stop
  kPastEnd,      // the frame is past the last a fire is made for
};

// What each frame is made from, as the host gives it.
class FireInputs {
 public:
  virtual ~FireInputs() = default;
  // The values at frame `frame` (1 is the first), each read at that frame's own time whether
  // the host keeps keyframes for it or not; false when they cannot be read.
  virtual bool Values(int32_t frame, FireValues* values) = 0;
  // Frame `frame` of the source where the host holds it: a view of the frame's size, top row
  // first, that holds until the next call (empty: nothing feeds the fire).
  virtual FireStatus Source(int32_t frame, ConstPixelView* source) = 0;
  virtual bool Aborted() { return false; }
};

class FireTimeline {
 public:
  // 128 MiB, the record of frames and the packed states, but never less than 10 states as they
  // lie would take (249 MB at 3840x2160): see FireSnapshots.
  static constexpr size_t kDefaultBudget = size_t{128} << 20;
  // The last frame a fire is made for: over 9 hours at 30 frames a second.
  static constexpr int32_t kLastFrame = int32_t{1} << 20;

  explicit FireTimeline(size_t snapshotBudget = kDefaultBudget);

  // Makes frame `frame` (1 .. kLastFrame) of a width x height fire; Heat() and Colours() then give it.
  // kOutOfMemory when a new frame size cannot be had: the fire keeps its size and states.
  FireStatus Render(int32_t frame, int32_t width, int32_t height, FireInputs& inputs);
  // The frame Render made, top row first, `width` pixels a row, as the Fire gives it: the heat
  // field and the pixel of each heat (the top row is left transparent).
  const uint8_t* Heat() const { return fire_.Heat(); }
  void Colours(FlamePixel colours[256]) const { fire_.Colours(colours); }

  // A width x height fire from now on, every state forgotten when that is another size; false
  // when the size cannot be had, and the fire and its states stay as they were.
  bool Resize(int32_t width, int32_t height);

  // The first frame whose source a render of `frame` at the present frame size would read.
  int32_t FirstFrameToRead(int32_t frame) const;
  // The same, after the check of the values that a reported change asks for (states made from
  // values that no longer hold go), so that the answer is what the next render reads; 1 when
  // the values cannot be read.
  int32_t FirstFrameToRead(int32_t frame, FireInputs& inputs);

  // Every state goes (a changed source, purged caches).
  void Forget();
  // Something may have changed the values of earlier frames: the next render reads them
  // again before it uses any state.
  void RecheckValues() { recheck_ = true; }

  // For the benchmarks and tests.
  // Waits for the state being packed, and keeps it.
  void FinishPacking() { Collect(true); }
  int32_t FramesRenderedByLastCall() const { return framesRendered_; }
  const FireSnapshots& Snapshots() const { return snapshots_; }

 private:
  struct FrameRecord {
    uint64_t values;  // digest of the frame's values
    uint64_t source;  // digest of the source frame's pixels
  };

  bool SizeIs(int32_t width, int32_t height) const;
  // Whether the live frame's values, read again, differ from those it was made with (`values`
  // are frame `frame`'s): then some value changed unreported, at earlier frames too.
  FireStatus LiveValuesChanged(int32_t frame, const FireValues& values, FireInputs& inputs,
                               bool* changed);
  // The states' share of the budget: what the record of frames leaves.
  void ShareBudget();
  // The frame of the best state to go on from: the live one or a saved one, at most `frame`
  // (only the live one can be `frame` itself, with its pixels); 0 for the state at load.
  int32_t StartFrame(int32_t frame) const;
  // Reads the values of frames 1 .. last again and drops every state made from values that no
  // longer hold. False when the values cannot be read.
  bool CheckValues(int32_t last, int32_t frame, const FireValues& valuesAtFrame,
                   FireInputs& inputs);
  // Forgets what frames `frame` on were made from, and every state made from it.
  void DropFrom(int32_t frame);
  // Puts the state after frame `start` in place; false when its buffers could not be had.
  bool MoveTo(int32_t start);
  FireStatus Replay(int32_t start, int32_t frame, const FireValues& valuesAtFrame,
                    FireInputs& inputs, bool* sourceChanged);
  // Whether `frame` goes on from the live frame, whatever states are saved.
  bool InStep(int32_t frame) const;
  // Keeps the state the packer made, waiting for it when `wait`.
  void Collect(bool wait);
  // The state after frame `frame` restored; false when it cannot be, and the fire restarts.
  bool Restore(const FireSnapshot& saved);
  // The state at load.
  void Restart();
  // Records what frame `frame` is made from; false when its source was seen before and came
  // back changed.
  bool Record(int32_t frame, const FrameRecord& record);

  size_t budget_;
  Fire fire_;
  SourceDigest digest_;
  FireSnapshots snapshots_;
  // Packs the states saved as the fire plays on; each is kept when done, or when a seek or a
  // change of what the states were made from needs every state in place.
  StatePacker packer_;
  std::vector<FrameRecord> history_;  // frame n at n - 1: what the kept states were made from
  int32_t live_ = 0;  // the frame the effect's state is after; 0: the state at load
  bool haveOutput_ = false;  // Heat() is frame `live_`
  bool recheck_ = false;
  int32_t framesRendered_ = 0;
};
