// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel_preset_sheet FILE: writes the presets' contact sheet to FILE as an RGB PNG.
#include <cstdio>
#include <vector>

#include "cli/commands/preset_sheet.h"
#include "cli/platform/cli_error.h"
#include "cli/png/png_io.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  try {
    const RgbaImage sheet = PresetSheet();
    std::vector<uint8_t> rgb;
    rgb.reserve(sheet.pixels.size() / 4 * 3);
    for (size_t i = 0; i < sheet.pixels.size(); i += 4) {
      rgb.insert(rgb.end(), sheet.pixels.begin() + i, sheet.pixels.begin() + i + 3);
    }
    WritePngFile(argv[1], rgb.data(), sheet.width, sheet.height, 3);
  } catch (const CliError& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
