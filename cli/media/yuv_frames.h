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
  virtual ~YuvFrames() = default;
  virtual int32_t EvenWidth() const = 0;
  virtual int32_t EvenHeight() const = 0;
  size_t PlanesSize() const { return static_cast<size_t>(EvenWidth()) * EvenHeight() * 3 / 2; }
  // One frame as the planes Y, U and V one after another, each row as wide as its plane,
  // into `planes` (which is given their size).
  virtual void ConvertInto(const uint8_t* samples, std::vector<uint8_t>* planes) = 0;
  std::vector<uint8_t> Convert(const uint8_t* samples) {
    std::vector<uint8_t> planes;
    ConvertInto(samples, &planes);
    return planes;
  }
};

// Frames of width x height pixels with `channels` samples each: 4 (straight RGBA) or 3 (opaque
// RGB), in the footage module (the renderer calls MakeYuvFrames, footage_module.h). Each throws
// a CliError when the conversion cannot be set up.
//
// swscale's conversion (bicubic, BT.601 in studio range): what the MP4's bytes are.
std::unique_ptr<YuvFrames> MakeSwscaleYuvFrames(int32_t width, int32_t height, int channels);
// The same bytes in a fraction of the work (yuv_conversion.h), unchecked.
std::unique_ptr<YuvFrames> MakeOwnYuvFrames(int32_t width, int32_t height, int channels);
// The own conversion where it gives swscale's bytes for a probe frame of this size on this
// machine (swscale's vector code differs between processors), swscale's where it does not.
using YuvFramesMaker = std::unique_ptr<YuvFrames> (*)(int32_t width, int32_t height, int channels);
std::unique_ptr<YuvFrames> MakeCheckedYuvFrames(int32_t width, int32_t height, int channels,
                                                YuvFramesMaker own = MakeOwnYuvFrames);
