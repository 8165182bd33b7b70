// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands/help_text.h"

#include <algorithm>

#include "effect/effect_presets.h"
#include "pictures/preview_size.h"
#include "fyrel_version.h"

namespace {

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  else text += "  ";
  return text;
}

constexpr size_t kHelpIndent = 30;
constexpr size_t kHelpWidth = 80;

// `text`'s words refilled into lines that end by column 80, each after the first indented to
// the descriptions' column; a line break in `text` starts a new line. The flag table's texts
// carry breaks laid out for its own column: they are only spaces here.
std::string Refilled(const std::string& text) {
  std::string out, line;
  const auto finish = [&] {
    if (!out.empty()) out += "\n" + std::string(kHelpIndent, ' ');
    out += line;
    line.clear();
  };
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string part = text.substr(start, end - start);
    for (size_t at = part.find_first_not_of(' '); at != std::string::npos;) {
      const size_t stop = std::min(part.find(' ', at), part.size());
      const std::string word = part.substr(at, stop - at);
      if (!line.empty() && kHelpIndent + line.size() + 1 + word.size() > kHelpWidth) finish();
      line += (line.empty() ? "" : " ") + word;
      at = part.find_first_not_of(' ', stop);
    }
    finish();
    start = end + 1;
  }
  return out;
}

}  // namespace

std::string CommandSynopsis(Command command) {
  switch (command) {
    case Command::kRender:
      return "usage: fyrel render [--source FILE] [--frames N] [--start N] [--out DIR]\n"
             "                    [--preset NAME] [parameter flags] [--composite MODE]\n"
             "                    [--video FILE] [--threads N] [--plugin FILE] [--quiet]\n"
             "\n"
             "Renders frames start .. start + N - 1 of one sequence through the effect and\n"
             "writes each as DIR/frame_NNNN.png, 8-bit RGBA with straight alpha, or pipes\n"
             "them into ffmpeg for --video. A video or image-sequence source gives each frame\n"
             "its own source frame.\n"
             "Without --source the built-in source is the word FYREL in grey on a\n"
             "transparent 320x180 frame; it burns with Invert Source on or off.\n"
             "\n"
             "Every parameter flag also takes values over time, as keys FRAME=VALUE\n"
             "separated by ';' (quote them for the shell):\n"
             "  --velocity '1=45;40=90'         45 at frame 1, a straight line to 90 at 40\n"
             "  --color1 '1|=FFFFFF;25=FF8000'  |= holds a value until the next key\n"
             "Frames count as the frame files do, frame 1 first. Before the first key a value\n"
             "is the first key's, after the last the last key's. Between keys a value is\n"
             "rounded as the effect's controls round it (a whole step, 1/65536 of a degree, a\n"
             "colour byte; halves away from zero); on|off flags change at their keys.\n";
    case Command::kPreview:
      return "usage: fyrel preview [--size WxH] [--frames N] [--out DIR] [--preset NAME]\n"
             "                     [viewer flags] [--video FILE] [--threads N]\n"
             "                     [--plugin FILE] [--quiet]\n"
             "\n"
             "Draws the Options viewer's live preview without a window: one preview step per\n"
             "frame, written as DIR/frame_NNNN.png, opaque RGB.\n";
    case Command::kAbout:
      return "usage: fyrel about [--plugin FILE]\n\nPrints the effect's About text.\n";
    case Command::kPresets:
      return "usage: fyrel presets\n"
             "\n"
             "Lists the named looks that fyrel render --preset NAME starts from, one a line:\n"
             "the name, then what it looks like.\n";
    case Command::kNone: break;
  }
  return "";
}

namespace {

std::string DefaultOf(Command command, const FlagSpec& flag) {
  std::string name = flag.name;
  if (name == "--out") return command == Command::kPreview ? "fyrel-preview" : "fyrel-out";
  if (name == "--size") {
    PreviewSize size = DefaultPreviewSize();
    return std::to_string(size.width) + "x" + std::to_string(size.height) +
           ", the viewer's own size";
  }
  return flag.defaultText ? flag.defaultText : "";
}

}  // namespace

std::string GeneralHelp() {
  return "usage: fyrel [--plugin FILE] COMMAND [flags]\n"
         "       fyrel --help | --version | COMMAND --help\n"
         "\n"
         "Fire from any image, through the ZEL Fyrel effect.\n"
         "\n"
         "commands:\n"
         "  render    render fire frames or a video from a PNG, an image sequence, a video\n"
         "            or the built-in wordmark\n"
         "  preview   draw the Options viewer's live preview frames\n"
         "  about     print the effect's About text\n"
         "  presets   list the named looks render --preset starts from\n"
         "\n"
         "--plugin FILE, before or after the command, drives that effect plug-in binary\n"
         "(Fyrel.so, Fyrel.aex) instead of the effect built in.\n"
         "\n"
         "Try: fyrel render --video fire.gif\n"
         "     fyrel render --preset blue-gas --video gas.gif\n";
}

std::string FlagDetails(Command command, const FlagSpec& flag) {
  std::string details;
  if (flag.kind != FlagKind::kPath && flag.kind != FlagKind::kPresence) {
    details = FlagRangeText(flag);
  }
  std::string dephault = DefaultOf(command, flag);
  if (!dephault.empty()) {
    if (!details.empty()) details += ", ";
    details += "default " + dephault;
  }
  return details;
}

std::string CommandHelp(Command command) {
  std::string text = CommandSynopsis(command) + "\nflags:\n";
  for (const FlagSpec* flag : FlagsOf(command)) {
    std::string head = std::string("  ") + flag->name;
    if (flag->meta) head += std::string(" ") + flag->meta;
    std::string description = flag->help;
    std::replace(description.begin(), description.end(), '\n', ' ');
    const std::string details = FlagDetails(command, *flag);
    if (!details.empty()) description += "\n(" + details + ")";
    text += Padded(head, kHelpIndent) + Refilled(description) + "\n";
  }
  return text;
}

std::string PresetList() {
  std::string text;
  for (const EffectPreset& preset : kEffectPresets) {
    text += Padded(preset.name, 16) + preset.description + "\n";
  }
  return text;
}

std::string VersionText() { return std::string("fyrel ") + FYREL_VERSION_TEXT + "\n"; }

std::string LicenceText() {
  return "Licence GPL-2.0-or-later: the GNU General Public License, version 2 or any later "
         "version.\nThis is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}
