// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/output/frame_output.h"

#include <algorithm>
#include <deque>
#include <utility>

#if defined(FYREL_ENCODE_THREADS)
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

#include "cli/media/video_encoder.h"
#include "cli/output/frame_names.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "cli/platform/interrupt_cleanup.h"
#include "cli/platform/whole_file.h"
#include "pictures/png_encoder.h"
#include "pictures/png_error.h"

struct FrameOutput::Shared {
  std::deque<std::pair<int32_t, std::vector<uint8_t>>> waiting;  // frames not yet taken
  std::vector<std::vector<uint8_t>> spare;                        // buffers to use again
  std::exception_ptr failure;                                     // the first one
  bool stopping = false;
  int buffers = 0;                                                // made so far
#if defined(FYREL_ENCODE_THREADS)
  std::mutex mutex;
  std::condition_variable workToDo;
  std::condition_variable roomMade;
  std::condition_variable written;
  std::vector<std::thread> workers;
  int busy = 0;
  int32_t nextToWrite = 0;  // files are written in frame order, whatever order encoding ends
#endif
};

int DefaultEncodingThreads() {
#if defined(FYREL_ENCODE_THREADS)
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
#else
  return 1;
#endif
}

FrameOutput::FrameOutput(const FrameOutputPlan& plan)
    : plan_(plan), shared_(std::make_unique<Shared>()) {
  if (!plan.videoPath.empty()) {
    VideoJob job;
    job.width = plan.width;
    job.height = plan.height;
    job.fps = plan.fps;
    job.sound = plan.sound;
    job.frames = plan.frames;
    job.framesHaveAlpha = plan.channels == 4;
    job.videoPath = plan.videoPath;
    video_ = std::make_unique<VideoEncoder>(job);
  }
#if defined(FYREL_ENCODE_THREADS)
  if (plan.framesDir.empty()) return;
  Shared& shared = *shared_;
  for (int i = 0; i < plan.threads; ++i) {
    shared.workers.emplace_back([this, &shared] {
      BlockEndingSignals();
      std::unique_lock<std::mutex> lock(shared.mutex);
      while (true) {
        shared.workToDo.wait(lock, [&] { return shared.stopping || !shared.waiting.empty(); });
        if (shared.stopping) return;
        std::pair<int32_t, std::vector<uint8_t>> job = std::move(shared.waiting.front());
        shared.waiting.pop_front();
        ++shared.busy;
        lock.unlock();
        std::exception_ptr failure;
        std::vector<uint8_t> png;
        try {
          png = EncodeFrame(job.first, job.second);
        } catch (...) {
          failure = std::current_exception();
        }
        // The samples are done with: the buffer goes back before the file is written.
        lock.lock();
        shared.spare.push_back(std::move(job.second));
        shared.roomMade.notify_all();
        if (!failure) {
          // Frame files appear in order, so that an interrupted run leaves frames first ..
          // k and no gap.
          shared.written.wait(lock, [&] {
            return shared.stopping || shared.nextToWrite == job.first;
          });
          const bool stopped = shared.stopping;
          lock.unlock();
          try {
            if (!stopped) WriteWholeFile(FramePath(job.first), png);
          } catch (...) {
            failure = std::current_exception();
          }
          png = std::vector<uint8_t>();
          lock.lock();
        }
        ++shared.nextToWrite;
        shared.written.notify_all();
        --shared.busy;
        if (failure && !shared.failure) shared.failure = failure;
        if (failure) shared.stopping = true;
        shared.roomMade.notify_all();
        if (failure) {
          shared.workToDo.notify_all();
          shared.written.notify_all();
        }
      }
    });
  }
#endif
}

FrameOutput::~FrameOutput() { StopWorkers(); }

void FrameOutput::StopWorkers() {
#if defined(FYREL_ENCODE_THREADS)
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->stopping = true;
  }
  shared_->workToDo.notify_all();
  shared_->written.notify_all();
  for (std::thread& worker : shared_->workers) worker.join();
  shared_->workers.clear();
#endif
}

std::string FrameOutput::FramePath(int32_t number) const {
  return JoinPath(plan_.framesDir, FrameFileName(number));
}

std::vector<uint8_t> FrameOutput::EncodeFrame(int32_t number,
                                              const std::vector<uint8_t>& samples) const {
  try {
    return EncodePng(samples.data(), plan_.width, plan_.height, plan_.channels);
  } catch (const PngError& error) {
    throw CliError("cannot write " + FramePath(number) + ": " + error.what());
  }
}

void FrameOutput::RethrowFailure() {
  if (shared_->failure) std::rethrow_exception(shared_->failure);
}

std::vector<uint8_t> FrameOutput::TakeBuffer() {
#if defined(FYREL_ENCODE_THREADS)
  Shared& shared = *shared_;
  std::unique_lock<std::mutex> lock(shared.mutex);
  // Past the budget, the next frame waits for a buffer that the workers are done with.
  if (shared.spare.empty() && shared.buffers >= MostBuffers()) {
    shared.roomMade.wait(lock, [&] { return !shared.spare.empty() || shared.stopping; });
    RethrowFailure();
  }
#endif
  if (shared_->spare.empty()) {
    ++shared_->buffers;
    return {};
  }
  std::vector<uint8_t> buffer = std::move(shared_->spare.back());
  shared_->spare.pop_back();
  return buffer;
}

int FrameOutput::MostBuffers() const {
  const size_t frameBytes =
      std::max<size_t>(1, static_cast<size_t>(plan_.width) * plan_.height * plan_.channels);
  const size_t byBudget = kFrameBufferBudget / frameBytes;
  // The frame being made, one queued and one being encoded for each worker.
  const size_t wanted = 2 * static_cast<size_t>(std::max(1, plan_.threads)) + 1;
  return static_cast<int>(std::max<size_t>(1, std::min(byBudget, wanted)));
}

void FrameOutput::Put(int32_t number, std::vector<uint8_t> samples) {
  if (video_) video_->AddFrame(samples.data());
  if (plan_.framesDir.empty()) {
    shared_->spare.push_back(std::move(samples));
    return;
  }
#if defined(FYREL_ENCODE_THREADS)
  Shared& shared = *shared_;
  std::unique_lock<std::mutex> lock(shared.mutex);
  // A frame or so queued per worker keeps them busy; more would only hold memory.
  const size_t most = static_cast<size_t>(plan_.threads) + 1;
  shared.roomMade.wait(lock, [&] { return shared.stopping || shared.waiting.size() < most; });
  RethrowFailure();
  if (shared.waiting.empty() && shared.busy == 0) shared.nextToWrite = number;
  shared.waiting.emplace_back(number, std::move(samples));
  shared.workToDo.notify_one();
#else
  WriteWholeFile(FramePath(number), EncodeFrame(number, samples));
  shared_->spare.push_back(std::move(samples));
#endif
}

void FrameOutput::WriteWaitingFrames() {
#if defined(FYREL_ENCODE_THREADS)
  {
    Shared& shared = *shared_;
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.roomMade.wait(lock, [&] {
      return shared.stopping || (shared.waiting.empty() && shared.busy == 0);
    });
  }
  StopWorkers();
  RethrowFailure();
#endif
}

void FrameOutput::Finish() {
  WriteWaitingFrames();
  if (video_) {
    video_->Finish();
    video_.reset();
  }
}

void FrameOutput::FinishFramesOnly() {
  video_.reset();
  WriteWaitingFrames();
}
