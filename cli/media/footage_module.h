// SPDX-License-Identifier: GPL-2.0-or-later
// The code that decodes footage and converts frames with FFmpeg's libraries is a module of its
// own, fyrel-footage.so, loaded the first time a run reads a video or writes an MP4: a run that
// does neither (--version, PNGs in and out) loads none of those libraries and their hundred and
// more dependencies. The renderer finds the module beside itself (the build tree) or where the
// package installs it (lib/fyrel beside bin). Tests and benchmarks link the code in instead
// (footage_linked.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cli/media/video_decoder.h"
#include "cli/media/yuv_frames.h"

class FootageModule {
 public:
  virtual std::unique_ptr<VideoDecoder> OpenVideo(const std::string& path) const = 0;
  virtual std::unique_ptr<YuvFrames> YuvFramesOf(int32_t width, int32_t height,
                                                 int channels) const = 0;

 protected:
  ~FootageModule() = default;
};

// The module's code, once loaded or linked in. Throws a CliError saying what is missing when
// the module cannot be found or loaded, or is of another version than the renderer.
const FootageModule& Footage();

// Programs that link the footage code in hand it over here before reading any footage.
void LinkFootageModule(const FootageModule* module);

// What the renderer reads and writes video with, through Footage(): a decoder of `path`, as
// OpenLibavDecoder (video_decoder.h) opens it, and the YUV conversion of MakeCheckedYuvFrames
// (yuv_frames.h).
std::unique_ptr<VideoDecoder> OpenVideoDecoder(const std::string& path);
std::unique_ptr<YuvFrames> MakeYuvFrames(int32_t width, int32_t height, int channels);

// The module's side: its code, and its entry (by the name kFootageEntry, handed the renderer's
// version, null for another).
const FootageModule& FootageCode();
constexpr const char* kFootageEntry = "fyrel_footage_module";
extern "C" const FootageModule* fyrel_footage_module(const char* version);
