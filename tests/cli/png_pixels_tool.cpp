// SPDX-License-Identifier: GPL-2.0-or-later
// Prints "WIDTHxHEIGHT DIGEST" for each PNG named on the command line: the decoded RGBA pixels,
// digested. The Windows comparison uses it, since the two builds' encoders write different
// bytes for the same pixels.
#include <cstdio>
#include <exception>

#include "cli/png/png_io.h"
#include "tests/support/digest.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    try {
      RgbaImage image = ReadPngFile(argv[i]);
      std::printf("%dx%d %s\n", static_cast<int>(image.width), static_cast<int>(image.height),
                  DigestHex(Fnv1a64(image.pixels.data(), image.pixels.size())).c_str());
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
  }
  return 0;
}
