// SPDX-License-Identifier: GPL-2.0-or-later
// An encoder's frames written to its standard input by a thread of their own, so that the
// frames' maker goes on while the encoder does not read: x264 takes no input for a third of a
// second or so while its first frames are compressed, and reads in bursts after. Up to `most`
// frames wait; each buffer comes back for a later frame once it is written.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class ChildProcess;

class FrameFeed {
 public:
  FrameFeed(ChildProcess* child, size_t most);
  // Dropped unfinished, it ends the child first, so that a write the child is not reading
  // does not hold the thread.
  ~FrameFeed();
  FrameFeed(const FrameFeed&) = delete;
  FrameFeed& operator=(const FrameFeed&) = delete;

  // A buffer for the next frame: one already written, else an empty one.
  std::vector<uint8_t> TakeBuffer();
  // Queues a frame, waiting while `most` wait. False when the child no longer reads.
  bool Put(std::vector<uint8_t> frame);
  // Waits until every frame is written and ends the thread. False when the child no longer
  // reads.
  bool Finish();

 private:
  void Write();

  ChildProcess* child_;
  const size_t most_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<uint8_t>> waiting_;
  std::vector<std::vector<uint8_t>> spare_;
  bool closing_ = false;   // no more frames come
  bool failed_ = false;    // the child stopped reading
  std::thread writer_;
};
