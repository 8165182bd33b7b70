// SPDX-License-Identifier: GPL-2.0-or-later
// Rendered frames as an MP4's encoder takes them: 4:2:0 YUV with even sides (an odd frame gets
// one black row or column more), RGBA frames weighted by their alpha first (the fire over
// black, as a player without alpha shows it). The work is shared among threads, so that the
// encoder is handed frames it only has to compress.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class YuvFrames {
 public:
  // Frames of width x height pixels with `channels` samples each: 4 (straight RGBA) or 3
  // (opaque RGB). Throws a CliError when the conversion cannot be set up.
  YuvFrames(int32_t width, int32_t height, int channels);
  ~YuvFrames();
  YuvFrames(const YuvFrames&) = delete;
  YuvFrames& operator=(const YuvFrames&) = delete;

  int32_t EvenWidth() const { return evenWidth_; }
  int32_t EvenHeight() const { return evenHeight_; }
  // One frame as the planes Y, U and V one after another, each row as wide as its plane.
  const std::vector<uint8_t>& Convert(const uint8_t* samples);

 private:
  struct Scaler;
  int32_t width_, height_, channels_, evenWidth_, evenHeight_;
  std::vector<uint8_t> rgb_;  // the frame weighted by alpha, with its even sides
  std::vector<uint8_t> yuv_;
  std::unique_ptr<Scaler> scaler_;
};
