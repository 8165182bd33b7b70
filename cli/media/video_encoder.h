// SPDX-License-Identifier: GPL-2.0-or-later
// Encoding the rendered frames into one video with ffmpeg, fed raw over a pipe (an MP4's frames
// as the YUV its encoder takes, where the build has FFmpeg's libraries to convert them). The container
// follows the file's extension: .webm (VP9 with its alpha channel), .gif (one transparent palette entry) or
// .mp4 (H.264 without alpha: the fire laid over black, odd sides padded by one black line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/media/frame_rate.h"
#include "cli/media/video_probe.h"
#include "cli/platform/child_process.h"

class FrameFeed;
class YuvFrames;

enum class VideoFormat { kMp4, kWebm, kGif };

// The format of `path`; throws a usage CliError for any other extension.
VideoFormat VideoFormatOf(const std::string& path);

// The most frames a second a GIF plays: its delays are whole hundredths, and players take a
// delay under 2/100 s for 1/10 s. A faster one is given 50 of its frames each second.
const FrameRate kGifMostRate(50);
bool ThinsGifFrames(const FrameRate& fps);

// Finding out whether ffmpeg can be run, while other work goes on: ffmpeg is asked for its
// version when this is made, and Finish waits for the answer.
class FfmpegCheck {
 public:
  FfmpegCheck();
  ~FfmpegCheck();
  FfmpegCheck(const FfmpegCheck&) = delete;
  FfmpegCheck& operator=(const FfmpegCheck&) = delete;
  // Throws a CliError unless ffmpeg ran.
  void Finish();

 private:
  std::unique_ptr<ChildProcess> ffmpeg_;  // null: it could not be started
};

struct VideoJob {
  int32_t width = 0;
  int32_t height = 0;
  FrameRate fps;
  bool framesHaveAlpha = true;  // RGBA frames (render) or opaque RGB (preview)
  std::string videoPath;
  // The sound the video carries (none when its path is empty): copied as it is where the
  // container takes its codec, else encoded to the container's own; the frames placed against
  // it as in its file.
  SourceSound sound;
  int32_t frames = 0;  // how many frames come: the sound ends with the last (0: unknown)
};

// Whether a video at `videoPath` is converted to the YUV its encoder takes in this process
// (an MP4, in builds with FFmpeg's libraries): that conversion weighs RGBA frames by their
// alpha as it reads them, so they need not come weighted.
bool ConvertsToYuvHere(const std::string& videoPath);

// Whether ffmpeg is sent RGBA: RGBA frames for a format that keeps alpha. RGBA frames for an
// MP4 are sent as RGB weighted by alpha (the fire over black, as a player without alpha
// shows it; straight alpha would show faint pixels at full colour), opaque frames as RGB.
bool SendsAlpha(const VideoJob& job);

// ffmpeg's arguments for the job, reading raw frames from its standard input and writing to
// `outputPath` (exposed for the tests).
std::vector<std::string> FfmpegArguments(const VideoJob& job, const std::string& outputPath);

// One video being encoded: ffmpeg started on a temporary name beside the video, fed the frames
// in order, and the file renamed into place by Finish. Whatever fails, or when the encoder is
// dropped unfinished, ffmpeg is ended and the temporary file removed; an earlier video of that
// name is then left as it was.
class VideoEncoder {
 public:
  // Starts ffmpeg. Throws a CliError when it cannot be started.
  explicit VideoEncoder(const VideoJob& job);
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // One frame of width x height pixels, RGBA or RGB as the job says. Throws a CliError when
  // ffmpeg failed.
  void AddFrame(const uint8_t* samples);
  // Ends the input, waits for ffmpeg and renames the video into place. Throws a CliError.
  void Finish();

 private:
  [[noreturn]] void Fail(const std::string& why);
  // Ends ffmpeg at once, and the feed's thread with it.
  void EndFfmpeg();

  VideoJob job_;
  std::string temporary_;
  size_t frameBytes_;
  int watch_ = -1;
  std::unique_ptr<ChildProcess> ffmpeg_;
  std::vector<uint8_t> premultiplied_;
  std::unique_ptr<YuvFrames> yuv_;  // an MP4's frames, converted here (FFmpeg's libraries)
  std::unique_ptr<FrameFeed> feed_;  // and written by a thread of their own
};
