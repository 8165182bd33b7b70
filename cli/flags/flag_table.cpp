#include "cli/flags/flag_table.h"

#include <iterator>

namespace {

constexpr unsigned kRenderAndPreview = kForRender | kForPreview;

// One row per flag. Parameter flags carry the effect's ranges and defaults.
const FlagSpec kFlags[] = {
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
    // The effect's parameters.
    {"--velocity", FlagKind::kInteger, "Velocity", 1, 100, "45", "N", "flame speed",
     kRenderAndPreview},
    {"--height", FlagKind::kInteger, "Height", 0, 255, "13", "N", "cooling of hot cells",
     kRenderAndPreview},
    {"--soot", FlagKind::kInteger, "Soot", 0, 255, "1", "N", "cooling jitter of warm cells",
     kRenderAndPreview},
    {"--width", FlagKind::kInteger, "Width", 0, 255, "41", "N", "width of the seed bands",
     kRenderAndPreview},
    {"--amplitude", FlagKind::kInteger, "Amplitude", 0, 255, "12", "N",
     "sway of the seed bands", kRenderAndPreview},
    {"--alpha", FlagKind::kInteger, "Alpha", 0, 255, "213", "N",
     "brightness at and above which a pixel is opaque", kForRender},
    {"--color1", FlagKind::kColor, "Color 1", 0, 0, "FFFFFF", "RRGGBB",
     "hottest colour of the custom palette", kRenderAndPreview},
    {"--color2", FlagKind::kColor, "Color 2", 0, 0, "FFFF00", "RRGGBB",
     "second colour of the custom palette", kRenderAndPreview},
    {"--color3", FlagKind::kColor, "Color 3", 0, 0, "FF0000", "RRGGBB",
     "third colour of the custom palette", kRenderAndPreview},
    {"--color4", FlagKind::kColor, "Color 4", 0, 0, "000000", "RRGGBB",
     "coldest colour of the custom palette", kRenderAndPreview},
    {"--color2-position", FlagKind::kInteger, "Color 2 Position", 0, 255, "85", "N",
     "palette index of Color 2", kRenderAndPreview},
    {"--color3-position", FlagKind::kInteger, "Color 3 Position", 0, 255, "171", "N",
     "palette index of Color 3", kRenderAndPreview},
    {"--custom-color", FlagKind::kSwitch, "Custom Color", 0, 1, "off", "on|off",
     "colour with the four colours instead of the built-in fire", kRenderAndPreview},
    {"--birth", FlagKind::kSwitch, "Birth", 0, 1, "on", "on|off",
     "on: the fire grows from nothing; off: 50 warm-up steps at each restart", kForRender},
    {"--drop", FlagKind::kSwitch, "Drop", 0, 1, "on", "on|off", "random falling drops",
     kForRender},
    {"--invert-source", FlagKind::kSwitch, "Invert Source", 0, 1, "on", "on|off",
     "dark source pixels burn instead of bright ones", kForRender},
    {"--fire-direction", FlagKind::kDegrees, "Fire Direction", -32767, 32767, "0", "DEGREES",
     "direction the flames move, 0 up, 90 right", kForRender},
    {"--phase", FlagKind::kFraction, "Phase", 0, 1, "0", "X", "kept by the effect, no visible effect",
     kForRender},
    // Running.
    {"--plugin", FlagKind::kPath, nullptr, 0, 0, "the effect built in", "FILE",
     "drive this effect plug-in binary (Fyrel.so, Fyrel.aex) instead", kForAll},
    {"--threads", FlagKind::kInteger, nullptr, 1, kMaxThreads, "one per core", "N",
     "threads encoding PNG files while the next frame renders", kRenderAndPreview},
    {"--quiet", FlagKind::kPresence, nullptr, 0, 0, nullptr, nullptr,
     "no progress line and no summary",
     kRenderAndPreview},
    {"--help", FlagKind::kPresence, nullptr, 0, 0, nullptr, nullptr, "this help", kForAll},
};

unsigned MaskOf(Command command) {
  switch (command) {
    case Command::kRender: return kForRender;
    case Command::kPreview: return kForPreview;
    case Command::kAbout: return kForAbout;
    case Command::kNone: break;
  }
  return 0;
}

}  // namespace

std::vector<const FlagSpec*> FlagsOf(Command command) {
  std::vector<const FlagSpec*> flags;
  for (const FlagSpec& flag : kFlags) {
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
  }
  return "";
}

Command CommandNamed(const std::string& name) {
  if (name == "render") return Command::kRender;
  if (name == "preview") return Command::kPreview;
  if (name == "about") return Command::kAbout;
  return Command::kNone;
}

const char* CommandName(Command command) {
  switch (command) {
    case Command::kRender: return "render";
    case Command::kPreview: return "preview";
    case Command::kAbout: return "about";
    case Command::kNone: break;
  }
  return "";
}
