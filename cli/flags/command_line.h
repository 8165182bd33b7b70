// SPDX-License-Identifier: GPL-2.0-or-later
// The command line as the commands use it: every flag parsed and range-checked, so that a
// command starts only once all of its input is known to be good.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/flags/flag_table.h"
#include "cli/media/frame_rate.h"
#include "effect/param_positions.h"
#include "effect/keyframes.h"

// One effect parameter to set, by its position in the table (and by display name, as a plug-in
// binary is told it), as the effect keeps it: sliders, check boxes and 16.16 fixed-point values
// in `value`; colours in red, green and blue. Given as keys, it changes from frame to frame:
// `keys` holds them, and the value is the one of the first.
struct ParamSetting {
  FlameParam position = kParamInput;
  std::string paramName;
  bool isColor = false;
  int32_t value = 0;
  uint8_t red = 0, green = 0, blue = 0;
  std::vector<ParamKey> keys;  // empty: the one value for every frame
  bool stepped = false;        // a switch: each key holds
};

// The setting's value at `frame` (itself when it has no keys).
ParamSetting SettingAtFrame(const ParamSetting& setting, int32_t frame);

struct Invocation {
  Command command = Command::kNone;
  bool showHelp = false;
  bool showVersion = false;

  std::string sourcePath;  // empty: the built-in source
  std::string outDir;      // empty: the command's default
  std::string videoPath;   // empty: no video
  std::string pluginPath;  // empty: the effect linked in
  int32_t frames = 100;    // a video or sequence source: its length unless given
  bool framesGiven = false;
  int32_t start = 1;
  FrameRate fps;           // 25 unless given
  bool fpsGiven = false;
  int32_t threads = 0;     // PNG encoding threads; 0: one per core
  bool compositeOver = false;  // the fire over the source instead of alone
  bool quiet = false;
  bool sizeGiven = false;
  int32_t previewWidth = 0, previewHeight = 0;

  std::vector<ParamSetting> params;  // in command-line order; a later one wins
};

// Parses argv[1..]. Throws a usage CliError naming the flag and what it accepts.
Invocation ParseCommandLine(const std::vector<std::string>& args);
