// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/read_ahead.h"

#if !defined(_WIN32)
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "cli/platform/interrupt_cleanup.h"

namespace {

class ReadAheadSource : public SourceFrames {
 public:
  explicit ReadAheadSource(std::unique_ptr<SourceFrames> source) : source_(std::move(source)) {
    width_ = source_->Width();
    height_ = source_->Height();
    length_ = source_->Length();
    hasRate_ = source_->HasRate();
    rate_ = source_->Rate();
    files_ = source_->Files();
    const EndingSignalsBlocked blocked;  // the main thread handles them
    reader_ = std::thread([this] { Read(); });
  }
  ~ReadAheadSource() override {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    reader_.join();
  }

  bool Next(std::vector<uint8_t>* rgba) override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_; });
    if (ended_) {
      notes_.clear();
      return false;
    }
    notes_.swap(aheadNotes_);
    aheadNotes_.clear();
    if (failure_) {
      ended_ = true;  // a source that failed gives nothing more
      std::rethrow_exception(failure_);
    }
    if (!more_) {
      ended_ = true;
      return false;
    }
    rgba->swap(ahead_);  // the caller's last frame becomes the buffer of the one after
    ready_ = false;
    changed_.notify_all();
    return true;
  }
  std::vector<std::string> TakeNotes() override {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
  }
  // The sound is the source's as it was opened: reading frames does not change it.
  SourceSound Sound() const override { return source_->Sound(); }

 private:
  // The reader: the next frame, whenever the last one has been taken.
  void Read() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      changed_.wait(lock, [&] { return stopping_ || !ready_; });
      if (stopping_) return;
      std::vector<uint8_t> frame;
      frame.swap(ahead_);
      lock.unlock();
      bool more = false;
      std::exception_ptr failure;
      std::vector<std::string> notes;
      try {
        more = source_->Next(&frame);
        notes = source_->TakeNotes();
      } catch (...) {
        failure = std::current_exception();
        notes = source_->TakeNotes();
      }
      lock.lock();
      ahead_.swap(frame);
      aheadNotes_ = std::move(notes);
      more_ = more;
      failure_ = failure;
      ready_ = true;
      changed_.notify_all();
      if (!more || failure) return;  // the source has nothing more to give
    }
  }

  std::unique_ptr<SourceFrames> source_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint8_t> ahead_;               // the frame read ahead, then a buffer to read into
  std::vector<std::string> aheadNotes_;      // the notes made while reading it
  std::vector<std::string> notes_;           // the handed-over frame's, until taken
  std::exception_ptr failure_;
  bool ready_ = false;     // ahead_ holds the next frame (or the end, or a failure)
  bool more_ = false;
  bool ended_ = false;
  bool stopping_ = false;
};

}  // namespace

std::unique_ptr<SourceFrames> ReadAhead(std::unique_ptr<SourceFrames> source) {
  if (source->Length() == 0) return source;  // a still: its one frame is there already
  return std::make_unique<ReadAheadSource>(std::move(source));
}

#else

std::unique_ptr<SourceFrames> ReadAhead(std::unique_ptr<SourceFrames> source) { return source; }

#endif
