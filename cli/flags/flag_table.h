// SPDX-License-Identifier: GPL-2.0-or-later
// Every flag of every command: its name, the kind of value it takes, its range and default,
// the effect parameter it sets (by display name) and its help line. Parsing, help and tests
// all read this one table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Command { kNone, kRender, kPreview, kAbout, kPresets };

enum class FlagKind {
  kInteger,   // decimal integer within [minimum, maximum]
  kColor,     // RRGGBB, '#' allowed
  kSwitch,    // on|off, 1|0, true|false
  kDegrees,   // decimal degrees, kept as 16.16 fixed point, whole part within the range
  kFraction,  // decimal number within [0, 1], kept as 16.16 fixed point
  kPath,      // a file or directory name
  kSize,      // WxH, each within [minimum, maximum]
  kChoice,    // one word of a few (--composite: none or over)
  kRate,      // frames a second within [minimum, maximum]: 25, 29.97 or 30000/1001
  kPresence,  // no value
  kPreset,    // the name of one of the effect's presets
};

// The commands a flag belongs to.
enum : unsigned { kForRender = 1, kForPreview = 2, kForAbout = 4, kForAll = 7, kForPresets = 8 };

struct FlagSpec {
  const char* name;        // with its leading dashes, e.g. "--velocity"
  FlagKind kind;
  const char* paramName;   // the effect parameter's display name, or null
  int32_t minimum;
  int32_t maximum;
  const char* defaultText; // as help shows it; null when there is none
  const char* meta;        // the value's placeholder in help, e.g. "N"
  const char* help;
  unsigned commands;
};

// The flags of `command`, in the order help lists them.
std::vector<const FlagSpec*> FlagsOf(Command command);
// The flag `name` of `command`, or null.
const FlagSpec* FindFlag(Command command, const std::string& name);
// "1 to 100", "RRGGBB", "on|off" ...: what the flag accepts, for help and error messages.
std::string FlagRangeText(const FlagSpec& flag);

Command CommandNamed(const std::string& name);
const char* CommandName(Command command);

// Limits of the command's own values.
constexpr int32_t kMaxPreviewSide = 4096;
constexpr int32_t kMaxFrames = 100000;
constexpr int32_t kMaxStartFrame = 1000000;
constexpr int32_t kMaxThreads = 64;
