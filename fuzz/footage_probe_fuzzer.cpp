// SPDX-License-Identifier: GPL-2.0-or-later
// The command-line renderer's reading of a video source's description (what ffprobe says of
// its first stream): any text gives a stream within the size limits with at least one frame
// and a positive frame rate, or is refused with the renderer's own error.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/media/video_probe.h"
#include "cli/platform/cli_error.h"
#include "pictures/rgba_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const VideoStreamInfo info = ParseVideoProbe(text, "fuzz.mp4");
    const bool agree = info.width > 0 && info.height > 0 && info.frames > 0 &&
                       info.width <= kMaxImageSide && info.height <= kMaxImageSide &&
                       info.rate.num > 0 && info.rate.den > 0;
    if (!agree) std::abort();
  } catch (const CliError&) {
    // refused, with a message for the user
  }
  return 0;
}
