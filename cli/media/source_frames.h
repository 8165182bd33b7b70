// SPDX-License-Identifier: GPL-2.0-or-later
// The source layer, frame by frame: a still (the same image for every frame: a PNG, or any
// image ffmpeg reads), a numbered PNG sequence (shot_%04d.png, every number from the lowest
// on, no gaps) or a video file that ffmpeg decodes (in this process where the build has
// FFmpeg's libraries, else through a pipe from the ffmpeg program), one frame at a time, upright. All of them give 8-bit RGBA of one size, which sets the frame size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/media/frame_rate.h"
#include "cli/media/video_probe.h"
#include "cli/png/png_io.h"

class SourceFrames {
 public:
  virtual ~SourceFrames() = default;
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The frames it holds (for a video, the frames its file claims: a damaged one may end
  // sooner); 0 for a still image, which serves any number of frames.
  int32_t Length() const { return length_; }
  // A video's frame rate (its average for a variable one); false for stills and sequences.
  bool HasRate() const { return hasRate_; }
  const FrameRate& Rate() const { return rate_; }
  // Puts the next frame, the first one first, in `rgba` (Width() x Height() x 4 samples),
  // using its buffer when it has one. A still image hands its one frame over at the first
  // call and has none after it. False when a video has no more frames that decode, before
  // Length(). Throws a CliError naming the source when a frame cannot be read.
  virtual bool Next(std::vector<uint8_t>* rgba) = 0;
  // What reading passed over or changed since the last call (a frame that did not decode, a
  // frame scaled to the first's size), one line each.
  virtual std::vector<std::string> TakeNotes() { return {}; }
  // A video's sound, as a video made from its frames is to carry it (none: no path).
  virtual SourceSound Sound() const { return SourceSound(); }
  // The files it reads (none for the built-in source).
  const std::vector<std::string>& Files() const { return files_; }

 protected:
  // A video's file, size, frame count and rate, as its stream says.
  void TakeVideo(const std::string& path, const VideoStreamInfo& info);
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t length_ = 0;
  bool hasRate_ = false;
  FrameRate rate_;
  std::vector<std::string> files_;
};

// Opens `path` and checks it as far as can be known before the first frame, which is read: a
// file that is missing or unreadable, a video without a video stream or whose first frame
// cannot be decoded, a sequence with no file or with a gap are all refused here. What the file
// is decides how it is read, not its name; a pipe or a device is read only as a PNG (its name
// ending in .png), since looking into it would use up its data. An empty path is the built-in
// source. Throws a CliError.
std::unique_ptr<SourceFrames> OpenSource(const std::string& path);
