// SPDX-License-Identifier: GPL-2.0-or-later
// What ffprobe says about a file the renderer is to read through ffmpeg: its first video
// stream's upright size, the frames a player shows (counted by decoding them), their rate, its
// orientation and alpha, the file's format, and its first audio stream.
#pragma once

#include <cstdint>
#include <string>

#include "cli/media/frame_rate.h"
#include "cli/media/orientation.h"

struct VideoStreamInfo {
  int32_t width = 0;   // as shown: after a quarter turn, the stored height
  int32_t height = 0;
  int32_t frames = 0;  // decoded, as a player shows them: edit lists applied
  std::string format;  // ffmpeg's name for the file's format
  std::string codec;
  Orientation orientation;
  FrameRate rate;      // the frames' rate, or their average rate for a variable one
  bool alpha = false;  // a VP8 or VP9 stream with an alpha plane, which only libvpx decodes
  bool still = false;  // one frame read by one of ffmpeg's image readers, or a one-frame GIF
};

// ffprobe's key=value lines about a video's first stream (codec_name, width, height,
// r_frame_rate, avg_frame_rate, nb_read_frames, the display matrix's rows, TAG:alpha_mode) and
// its format (format_name). Throws a CliError naming `path` for no stream, a missing or bad
// number, no frames, a display matrix that is no quarter turn or flip, or a side over the limit.
VideoStreamInfo ParseVideoProbe(const std::string& text, const std::string& path);

// The rate a stream's frames are shown at: their own (`real`) when they keep it, their average
// when it varies (a phone's or a screen recorder's clip), which keeps the clip's length. Either
// may be null when the file does not say; `rate` is left as it is when both are.
void ChooseStreamRate(const FrameRate* real, const FrameRate* average, FrameRate* rate);

// Whether a file of ffmpeg's `format` holding `frames` frames is a still image: one frame read
// by one of ffmpeg's image readers, or a one-frame GIF or APNG. A still serves every frame.
bool IsStill(const std::string& format, int32_t frames);

// Runs ffprobe on `path` (a regular file) and parses its answer; every frame of the video
// stream is decoded to count them. A still's orientation is its frame's (a photo's EXIF).
// Throws a CliError naming `path` with ffprobe's own reason when it cannot read the file.
VideoStreamInfo ProbeVideo(const std::string& path);

// A file's sound, as a video made from its frames is to carry it.
struct SourceSound {
  std::string path;         // the file; empty when it has no sound
  std::string codec;        // its first audio stream's
  double videoDelay = 0.0;  // seconds from the file's start to its first video frame
  double speed = 1.0;       // how much faster than in its file it plays (frames given a new rate)
};

// ffprobe's compact lines about each stream (codec_type, codec_name, start_time) and the
// format (start_time): "stream|codec_name=aac|codec_type=audio|start_time=0.000000".
SourceSound ParseSoundProbe(const std::string& text);
// Runs ffprobe on `path`; no sound (an empty path) when it has none or cannot tell.
SourceSound ProbeSound(const std::string& path);
