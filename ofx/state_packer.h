// SPDX-License-Identifier: GPL-2.0-or-later
// Saved states packed on a thread of their own, so that the frame that saves one does not wait
// for the packing: the fire's state and its three buffers are copied, and packed while the next
// frames render. One state at a time; the caller takes it when done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/fire.h"
#include "effect/fire_snapshots.h"

class StatePacker {
 public:
  StatePacker();
  ~StatePacker();
  StatePacker(const StatePacker&) = delete;
  StatePacker& operator=(const StatePacker&) = delete;

  // Whether a state is being packed or waits to be taken.
  bool Busy() const { return busy_; }
  // Starts packing the state after `frame` (when not Busy), deflated when `deflate`: the
  // fire's state and buffers are copied first. False when the copy or the thread cannot be
  // had: nothing is packed then.
  bool Start(int32_t frame, Fire& fire, bool deflate);
  // The state packed, into `packed`: waits for it when `wait`, else only when it is done.
  // False when there is none to take yet, or its packing failed (out of memory).
  bool Take(bool wait, FireSnapshot* packed);
  // Memory held: the copy, and what the packer kept after the last state taken.
  size_t Bytes() const { return copy_.capacity() + packerBytes_; }
  // Lets the copy go (waits for a state being packed, and drops it).
  void Release();

 private:
  struct Thread;
  static void Work(StatePacker* packer);

  std::unique_ptr<Thread> thread_;
  bool busy_ = false;  // the caller's own view: a state started and not taken
  size_t packerBytes_ = 0;
  // The job, written before it is handed over and read back only after it is done.
  int32_t frame_ = 0;
  bool deflate_ = true;
  FlameState state_;
  size_t cells_ = 0;
  std::vector<uint8_t> copy_;  // the three buffers, one after the other
  FireSnapshots::Packer packer_;
  FireSnapshot packed_;
  bool packedOk_ = false;
};
