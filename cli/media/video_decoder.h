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

#include "cli/media/frame_rate.h"
#include "cli/media/video_probe.h"

class VideoDecoder {
 public:
  // Opens `path` (a regular file) and decodes its first frame. Throws a CliError naming the
  // file with the libraries' reason: not a video or image, no video stream, no frame that
  // decodes, a display matrix that is not a quarter turn or flip, a frame over the size limit.
  explicit VideoDecoder(const std::string& path);
  ~VideoDecoder();
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  const VideoStreamInfo& Info() const { return info_; }
  // The file's first audio stream, as a video made from these frames is to carry it.
  const SourceSound& Sound() const { return sound_; }
  // The next frame, upright, width x height RGBA, into `rgba`; the first one first. False when
  // no more frames decode.
  bool Next(std::vector<uint8_t>* rgba);
  // What was passed over or changed since the last call, one line each ("cut.mp4: frame 12
  // is 96x64; ..."), for the user to read.
  std::vector<std::string> TakeNotes();

 private:
  struct Libraries;
  bool Decode();
  void Convert(std::vector<uint8_t>* rgba);
  [[noreturn]] void Fail(const std::string& what, int code) const;

  std::string path_;
  VideoStreamInfo info_;
  SourceSound sound_;
  std::unique_ptr<Libraries> av_;
  std::vector<std::string> notes_;
  std::vector<uint8_t> stored_;  // a turned frame as it is stored
  bool haveFrame_ = false;       // the first frame waits, decoded, for the first Next
  int32_t given_ = 0;
};
