// SPDX-License-Identifier: GPL-2.0-or-later
// What the footage module hands the renderer: its decoder and its YUV conversion.
#include "cli/media/footage_module.h"

namespace {

class LibavFootage final : public FootageModule {
 public:
  std::unique_ptr<VideoDecoder> OpenVideo(const std::string& path) const override {
    return OpenLibavDecoder(path);
  }
  std::unique_ptr<YuvFrames> YuvFramesOf(int32_t width, int32_t height,
                                         int channels) const override {
    return MakeCheckedYuvFrames(width, height, channels);
  }
};

}  // namespace

const FootageModule& FootageCode() {
  static const LibavFootage code;
  return code;
}
