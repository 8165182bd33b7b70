// SPDX-License-Identifier: GPL-2.0-or-later
// Saved states of one fire, so that a frame asked for out of order replays from the nearest
// state before it instead of from frame 1. States are kept at every `spacing`-th frame; when
// their memory reaches the budget the spacing doubles and every other state goes, so memory
// stays within the budget however long the clip, and the replay after a seek stays within one
// spacing. A state is packed as it is saved: its buffers are mostly cold cells, so runs of
// zero bytes are only counted; the rest is kept as it lies while the states take less than
// half of what they may, and deflated (zlib) after, so that memory is spent before the time
// deflating takes, and a budget that held 19 states of 1920x1080 as they lie holds hundreds.
// Built with FYREL_SNAPSHOTS_STORED (the page's WebAssembly build, which has no zlib) the rest
// is always kept as it lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "effect/fire.h"
#include "flame/flame_state.h"

// The whole state of a fire after `frame`: the engine's state and its three buffers (source
// mask, heat field, drops), packed.
struct FireSnapshot {
  int32_t frame = 0;
  FlameState flame;
  // For each buffer in turn, pairs of lengths that cover it: a run of zero bytes, then a run
  // of bytes that `packed` holds deflated.
  std::vector<uint32_t> runs;
  std::vector<uint8_t> packed;  // the stored runs of all three, one deflated stream
};

class FireSnapshots {
  struct Coder;

 public:
  // Deflating a state costs about what eight frames of the fire cost: with a state every 12th
  // frame, play in order pays two thirds of a frame's step for those it deflates, and a seek
  // replays at most 12 frames.
  static constexpr int32_t kFirstSpacing = 12;

  explicit FireSnapshots(size_t budgetBytes);
  ~FireSnapshots();
  FireSnapshots(const FireSnapshots&) = delete;
  FireSnapshots& operator=(const FireSnapshots&) = delete;
  // What the states may hold from now on (the rest of an instance's budget is held elsewhere);
  // the next state saved thins them to it.
  void SetBudget(size_t budgetBytes) { budget_ = budgetBytes; }

  // Forgets every state and frees their storage; states from now on hold three buffers of
  // `bufferBytes` each.
  void Reset(size_t bufferBytes);
  // Forgets the states after `frame` - 1.
  void DropFrom(int32_t frame);

  // Packs states, for FireSnapshots or apart from it (on another thread: each packer is used
  // by one thread at a time).
  class Packer {
   public:
    Packer();
    ~Packer();
    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;
    // The state after `frame` from the engine's state and its three buffers of `bufferBytes`
    // each, deflated when `deflate` (DeflatesNext); false without the memory.
    bool Pack(int32_t frame, const FlameState& flame, const uint8_t* const buffers[3],
              size_t bufferBytes, bool deflate, FireSnapshot* snapshot);
    // Memory held: the deflater's own and what it keeps for the next state.
    size_t Bytes() const;

   private:
    friend class FireSnapshots;
    std::unique_ptr<Coder> coder_;  // made at the first state, kept for the next
  };

  // Whether a state after `frame` should be kept.
  bool Wants(int32_t frame) const;
  // Whether the next state is to be deflated: once the states take half of Limit().
  bool DeflatesNext() const { return Bytes() >= Limit() / 2; }
  // Keeps the state after `frame`, packed from the engine's state and its three buffers.
  // Without the memory for it nothing is kept: seeks then replay from further back.
  void Save(int32_t frame, const FlameState& flame, const uint8_t* const buffers[3]);
  // Keeps a state packed apart (of BufferBytes() buffers).
  void Keep(FireSnapshot&& snapshot);
  // Puts a kept state back into `flame` and the three buffers; false when it cannot be
  // unpacked (no memory for the inflater), with the buffers then undefined.
  bool Load(const FireSnapshot& snapshot, FlameState* flame, uint8_t* const buffers[3]);

  // The state with the greatest frame below `frame`, or null.
  const FireSnapshot* Before(int32_t frame) const;

  int32_t Spacing() const { return spacing_; }
  // Bytes of each of a state's three buffers (Reset's).
  size_t BufferBytes() const { return bufferBytes_; }
  size_t Count() const { return states_.size(); }
  // Memory held: the states, what the packing keeps for the next one, the deflater's and
  // inflater's own.
  size_t Bytes() const;
  // The most Bytes() may reach: the budget, but never less than what 10 states as they lie
  // would take, so that large frames still have states to seek from.
  size_t Limit() const;

 private:
  static size_t BytesOf(const FireSnapshot& snapshot);
  void Thin();

  size_t budget_;
  size_t bufferBytes_ = 0;
  int32_t spacing_ = kFirstSpacing;
  std::map<int32_t, FireSnapshot> states_;
  size_t stateBytes_ = 0;  // BytesOf every state in `states_`
  Packer packer_;  // saves, and loads with its inflater
};

// The state and buffers of `fire` saved as the state after `frame` when its buffers are of the
// states' size, and put back; false when they are not of that size or the state cannot be
// unpacked (the fire is then not worth going on from).
void SaveFire(FireSnapshots& snapshots, int32_t frame, Fire& fire);
bool RestoreFire(FireSnapshots& snapshots, const FireSnapshot& snapshot, Fire& fire);
