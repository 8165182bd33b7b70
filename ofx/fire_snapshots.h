// Saved states of one fire, so that a frame asked for out of order replays from the nearest
// state before it instead of from frame 1. States are kept at every `spacing`-th frame; when
// the budget is full the spacing doubles and every other state goes, so memory stays within
// the budget however long the clip, and the replay after a seek stays within one spacing.
// Frames so large that the budget holds few states get a few more (see Capacity).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "flame/flame_state.h"

// The whole state of a fire after `frame`: the engine's state and the bytes of its three
// buffers (source mask, heat field, drops), one after another.
struct FireSnapshot {
  int32_t frame = 0;
  FlameState flame;
  std::unique_ptr<uint8_t[]> cells;  // the store's cell bytes; left as allocated, not cleared
};

class FireSnapshots {
 public:
  static constexpr int32_t kFirstSpacing = 8;

  explicit FireSnapshots(size_t budgetBytes) : budget_(budgetBytes) {}
  // What the states may hold from now on (the rest of an instance's budget is held elsewhere).
  void SetBudget(size_t budgetBytes) { budget_ = budgetBytes; }

  // Forgets every state and frees their storage; states from now on hold `cellBytes` of
  // buffers.
  void Reset(size_t cellBytes);
  // Forgets the states after `frame` - 1.
  void DropFrom(int32_t frame);

  // Whether a state after `frame` should be kept.
  bool Wants(int32_t frame) const;
  // A snapshot to fill (its storage reused where one was let go), then Keep it; one without
  // cells when the memory could not be had.
  FireSnapshot TakeBlank();
  void Keep(FireSnapshot&& snapshot);

  // The state with the greatest frame below `frame`, or null.
  const FireSnapshot* Before(int32_t frame) const;

  int32_t Spacing() const { return spacing_; }
  size_t Count() const { return states_.size(); }
  size_t Capacity() const;
  // Memory held: the states and the storage kept for the next ones.
  size_t Bytes() const { return (states_.size() + spare_.size()) * cellBytes_; }

 private:
  void Release(FireSnapshot&& snapshot);

  size_t budget_;
  size_t cellBytes_ = 0;
  int32_t spacing_ = kFirstSpacing;
  std::map<int32_t, FireSnapshot> states_;
  std::vector<std::unique_ptr<uint8_t[]>> spare_;  // storage of states let go, for the next ones
};
