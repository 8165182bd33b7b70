// SPDX-License-Identifier: GPL-2.0-or-later
// Where rendered frames go: PNG files frame_NNNN.png in a directory, a video through ffmpeg,
// or both. The caller renders on its own thread and hands each frame over in order; the video
// gets it at once, and the PNG is encoded and written on a worker thread while the next frame
// renders (the Windows build, without threads, encodes in the caller). Every file is written
// under a temporary name and renamed when whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cli/media/frame_rate.h"
#include "cli/media/video_probe.h"

class VideoEncoder;

struct FrameOutputPlan {
  std::string framesDir;  // empty: no frame files
  std::string videoPath;  // empty: no video
  int32_t width = 0;
  int32_t height = 0;
  int channels = 4;       // 4: RGBA with straight alpha; 3: opaque RGB
  FrameRate fps;
  SourceSound sound;   // what the video carries of its source's sound (no path: none)
  int32_t frames = 0;  // how many frames come (0: unknown)
  int threads = 1;        // PNG encoding threads
};

// The most bytes of frame buffers in flight (rendered, queued, being encoded) beyond one: a
// frame larger than this is rendered while none other is encoded, so that a render's memory
// stays within a few times the frame's size.
constexpr size_t kFrameBufferBudget = size_t{256} << 20;

// The encoding threads to use when none are asked for: one per core.
int DefaultEncodingThreads();

class FrameOutput {
 public:
  // Starts the workers and ffmpeg. Throws a CliError when ffmpeg cannot be started.
  explicit FrameOutput(const FrameOutputPlan& plan);
  // Unfinished: stops the workers after the files they are writing and ends ffmpeg, leaving
  // no partial file.
  ~FrameOutput();
  FrameOutput(const FrameOutput&) = delete;
  FrameOutput& operator=(const FrameOutput&) = delete;

  // An empty-or-recycled buffer to render the next frame into. Waits while the buffers in
  // flight are at their budget. Throws a CliError: the first failure of any frame so far.
  std::vector<uint8_t> TakeBuffer();
  // Frame `number`'s samples, width x height x channels. Waits while the workers are a few
  // frames behind. Throws a CliError: the first failure of any frame so far.
  void Put(int32_t number, std::vector<uint8_t> samples);
  // Waits until every frame is written and the video is complete. Throws a CliError.
  void Finish();
  // For a run stopped by a fault: waits until every frame handed over is written, and drops
  // the video, as an interrupted run does (a video cut short is not left to be taken for a
  // whole one). Throws a CliError when a frame cannot be written.
  void FinishFramesOnly();

 private:
  struct Shared;
  std::string FramePath(int32_t number) const;
  std::vector<uint8_t> EncodeFrame(int32_t number, const std::vector<uint8_t>& samples) const;
  void StopWorkers();
  void WriteWaitingFrames();
  int MostBuffers() const;
  void RethrowFailure();

  FrameOutputPlan plan_;
  std::unique_ptr<VideoEncoder> video_;
  std::unique_ptr<Shared> shared_;
};
