// SPDX-License-Identifier: GPL-2.0-or-later
// A video (or a still only ffmpeg reads) decoded in this process with FFmpeg's libraries: the
// first video stream's frames as a player shows them (edit lists applied, each frame passed on
// at its own time, none made up or dropped), converted to RGBA on several threads and turned
// upright by the container's display matrix. Each frame is decoded once: the count of frames
// the file claims comes from the container's index where it has one (MP4 and QuickTime), else
// from its packets, read without decoding them. A damaged file is read as ffmpeg reads it: what
// does not decode is passed over with a note, the frames are those that decode (no more than
// the file claims), and a frame of another size than the first is scaled to the first's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/media/video_probe.h"

class VideoDecoder {
 public:
  virtual ~VideoDecoder() = default;
  virtual const VideoStreamInfo& Info() const = 0;
  // The file's first audio stream, as a video made from these frames is to carry it.
  virtual const SourceSound& Sound() const = 0;
  // The next frame, upright, width x height RGBA, into `rgba`; the first one first. False when
  // no more frames decode. Throws a CliError when a frame cannot be converted.
  virtual bool Next(std::vector<uint8_t>* rgba) = 0;
  // What was passed over or changed since the last call, one line each ("cut.mp4: frame 12
  // is 96x64; ..."), for the user to read.
  virtual std::vector<std::string> TakeNotes() = 0;
};

// Opens `path` (a regular file) and decodes its first frame, in the footage module (the
// renderer calls OpenVideoDecoder, footage_module.h). Throws a CliError naming the file with the
// libraries' reason: not a video or image, no video stream, no frame that decodes, a display
// matrix that is not a quarter turn or flip, a frame over the size limit.
std::unique_ptr<VideoDecoder> OpenLibavDecoder(const std::string& path);
