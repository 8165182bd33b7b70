// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/frame_feed.h"

#include <utility>

#include "cli/platform/child_process.h"
#include "cli/platform/interrupt_cleanup.h"

FrameFeed::FrameFeed(ChildProcess* child, size_t most) : child_(child), most_(most) {
  const EndingSignalsBlocked blocked;  // the main thread handles them
  writer_ = std::thread([this] { Write(); });
}

FrameFeed::~FrameFeed() {
  if (!writer_.joinable()) return;
  child_->SendKill();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  writer_.join();
}

std::vector<uint8_t> FrameFeed::TakeBuffer() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.empty()) return {};
  std::vector<uint8_t> buffer = std::move(spare_.back());
  spare_.pop_back();
  return buffer;
}

bool FrameFeed::Put(std::vector<uint8_t> frame) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return failed_ || waiting_.size() < most_; });
  if (failed_) return false;
  waiting_.push_back(std::move(frame));
  changed_.notify_all();
  return true;
}

bool FrameFeed::Finish() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  writer_.join();
  return !failed_;
}

void FrameFeed::Write() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
    if (waiting_.empty()) return;  // closing, with nothing more to write
    std::vector<uint8_t> frame = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    const bool written = child_->Write(frame.data(), frame.size());
    lock.lock();
    spare_.push_back(std::move(frame));
    failed_ = !written;
    changed_.notify_all();
    if (failed_) return;
  }
}
