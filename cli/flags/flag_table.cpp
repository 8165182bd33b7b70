// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/flags/flag_table.h"

#include <deque>
#include <string>

#include "effect/effect_params.h"
#include "effect/effect_presets.h"

namespace {

constexpr unsigned kRenderAndPreview = kForRender | kForPreview;

// One row per flag of the input and output; the parameters' flags follow, made from the
// effect's parameter table, then the flags of running.
const FlagSpec kInOutFlags[] = {
    // Input and output.
    {"--source", FlagKind::kPath, nullptr, 0, 0, "the built-in FYREL wordmark", "FILE",
     "source layer: a PNG of any colour type and depth,\n"
     "                              a numbered sequence of them (shot_%04d.png) or a\n"
     "                              video ffmpeg reads; it sets the frame size",
     kForRender},
    {"--size", FlagKind::kSize, nullptr, 1, kMaxPreviewSide, nullptr, "WxH",
     "preview size in pixels (the field has H + 4 rows, 4 never shown)", kForPreview},
    {"--frames", FlagKind::kInteger, nullptr, 1, kMaxFrames, "100", "N",
     "number of frames (a video or sequence source: its length)", kRenderAndPreview},
    {"--start", FlagKind::kInteger, nullptr, 0, kMaxStartFrame, "1", "N",
     "first frame number (frame 1 restarts the flame)", kForRender},
    {"--out", FlagKind::kPath, nullptr, 0, 0, nullptr, "DIR",
     "output directory for frame_NNNN.png (created when missing)", kRenderAndPreview},
    {"--video", FlagKind::kPath, nullptr, 0, 0, "none", "FILE",
     "encode with ffmpeg: .mp4, .webm or .gif (the last\n"
     "                              two keep alpha); without --out, no frame files",
     kRenderAndPreview},
    {"--fps", FlagKind::kRate, nullptr, 1, 120, "25", "RATE",
     "frame rate of the video (render: a video source's own\n"
     "                              rate unless given)",
     kRenderAndPreview},
    {"--composite", FlagKind::kChoice, nullptr, 0, 0, "none", "MODE",
     "none: the fire alone, with its alpha;\n"
     "                              over: the fire laid over the source",
     kForRender},
};

// Before the parameters' flags, which change single values of the preset.
const FlagSpec kPresetFlag = {
    "--preset", FlagKind::kPreset, nullptr, 0, 0, nullptr, "NAME",
    "start from a named look (fyrel presets lists them); parameter flags after it change "
    "single values (preview: the ones it shows)",
    kRenderAndPreview};

// After the parameters' flags.
const FlagSpec kRunFlags[] = {
    {"--plugin", FlagKind::kPath, nullptr, 0, 0, "the effect built in", "FILE",
     "drive this effect plug-in binary (Fyrel.so, Fyrel.aex) instead", kForAll},
    {"--threads", FlagKind::kInteger, nullptr, 1, kMaxThreads, "one per core", "N",
     "threads encoding PNG files while the next frame renders", kRenderAndPreview},
    {"--quiet", FlagKind::kPresence, nullptr, 0, 0, nullptr, nullptr,
     "no progress line and no summary",
     kRenderAndPreview},
    {"--help", FlagKind::kPresence, nullptr, 0, 0, nullptr, nullptr, "this help",
     kForAll | kForPresets},
};

unsigned MaskOf(Command command) {
  switch (command) {
    case Command::kRender: return kForRender;
    case Command::kPreview: return kForPreview;
    case Command::kAbout: return kForAbout;
    case Command::kPresets: return kForPresets;
    case Command::kNone: break;
  }
  return 0;
}

FlagKind KindOf(ParamKind kind) {
  switch (kind) {
    case ParamKind::kColor: return FlagKind::kColor;
    case ParamKind::kCheckBox: return FlagKind::kSwitch;
    case ParamKind::kAngle: return FlagKind::kDegrees;
    case ParamKind::kFraction: return FlagKind::kFraction;
    case ParamKind::kSlider: break;
  }
  return FlagKind::kInteger;
}

const char* MetaOf(FlagKind kind) {
  switch (kind) {
    case FlagKind::kColor: return "RRGGBB";
    case FlagKind::kSwitch: return "on|off";
    case FlagKind::kDegrees: return "DEGREES";
    case FlagKind::kFraction: return "X";
    default: return "N";
  }
}

// Every flag in help's order. The parameters' flags keep their texts in `texts`, which never
// moves them.
const std::vector<FlagSpec>& AllFlags() {
  static std::deque<std::string> texts;
  static const std::vector<FlagSpec> flags = [] {
    std::vector<FlagSpec> all(std::begin(kInOutFlags), std::end(kInOutFlags));
    all.push_back(kPresetFlag);
    for (const EffectParam& param : EffectParams()) {
      const FlagKind kind = KindOf(param.kind);
      const char* name = texts.emplace_back(std::string("--") + param.flagName).c_str();
      const char* dephault = texts.emplace_back(DefaultText(param)).c_str();
      const unsigned commands =
          GroupInfo(param.group).previewed ? kRenderAndPreview : unsigned{kForRender};
      all.push_back({name, kind, param.name, param.min, param.max, dephault, MetaOf(kind),
                     param.help, commands});
    }
    all.insert(all.end(), std::begin(kRunFlags), std::end(kRunFlags));
    return all;
  }();
  return flags;
}

}  // namespace

std::vector<const FlagSpec*> FlagsOf(Command command) {
  std::vector<const FlagSpec*> flags;
  for (const FlagSpec& flag : AllFlags()) {
    if (flag.commands & MaskOf(command)) flags.push_back(&flag);
  }
  return flags;
}

const FlagSpec* FindFlag(Command command, const std::string& name) {
  for (const FlagSpec* flag : FlagsOf(command)) {
    if (name == flag->name) return flag;
  }
  return nullptr;
}

std::string FlagRangeText(const FlagSpec& flag) {
  switch (flag.kind) {
    case FlagKind::kInteger:
      return std::to_string(flag.minimum) + " to " + std::to_string(flag.maximum);
    case FlagKind::kColor: return "RRGGBB (hex, '#' allowed)";
    case FlagKind::kSwitch: return "on|off, 1|0 or true|false";
    case FlagKind::kDegrees:
      return "decimal degrees from " + std::to_string(flag.minimum) + " to " +
             std::to_string(flag.maximum);
    case FlagKind::kFraction: return "a decimal number from 0 to 1";
    case FlagKind::kSize:
      return "WxH, each from " + std::to_string(flag.minimum) + " to " +
             std::to_string(flag.maximum);
    case FlagKind::kChoice: return "none or over";
    case FlagKind::kRate:
      return std::to_string(flag.minimum) + " to " + std::to_string(flag.maximum) +
             ", as 25, 29.97 or 30000/1001";
    case FlagKind::kPath: return "a path";
    case FlagKind::kPresence: return "no value";
    case FlagKind::kPreset: return "one of " + PresetNamesText();
  }
  return "";
}

Command CommandNamed(const std::string& name) {
  if (name == "render") return Command::kRender;
  if (name == "preview") return Command::kPreview;
  if (name == "about") return Command::kAbout;
  if (name == "presets") return Command::kPresets;
  return Command::kNone;
}

const char* CommandName(Command command) {
  switch (command) {
    case Command::kRender: return "render";
    case Command::kPreview: return "preview";
    case Command::kAbout: return "about";
    case Command::kPresets: return "presets";
    case Command::kNone: break;
  }
  return "";
}
