// SPDX-License-Identifier: GPL-2.0-or-later
// The command-line renderer's PNG source decoder on arbitrary bytes: it either gives an image
// whose size and pixels agree, or refuses the bytes with the renderer's own error.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "cli/platform/cli_error.h"
#include "pictures/png_decoder.h"

// The decoder asks for as much memory as a header's size makes it ask for and takes a refused
// allocation as broken data. A request beyond what the allocator can give is refused here as it
// is outside the sanitizer (null), rather than reported; requests it can give still count
// against libFuzzer's memory limit.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    const RgbaImage image = DecodePng(bytes, "fuzz.png");
    const bool agree = image.width > 0 && image.height > 0 && image.width <= kMaxImageSide &&
                       image.height <= kMaxImageSide &&
                       image.pixels.size() == static_cast<size_t>(image.width) *
                                                  static_cast<size_t>(image.height) * 4;
    if (!agree) std::abort();
  } catch (const PngError&) {
    // refused, with a message for the user
  }
  return 0;
}
