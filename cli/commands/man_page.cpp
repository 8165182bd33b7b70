// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands/man_page.h"

#include "cli/commands/help_text.h"
#include "cli/flags/flag_table.h"
#include "effect/effect_presets.h"

namespace {

// Text as roff prints it: a backslash and a minus sign escaped (an unescaped '-' may print
// as a hyphen, which a shell would not take for a flag), and a line that starts with a
// control character kept as text.
std::string Roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
    lineStart = c == '\n';
  }
  return out;
}

// Help lines are wrapped for a terminal; the page lets the reader's width wrap them.
std::string Unwrapped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      out += text[i];
      continue;
    }
    out += ' ';
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
  }
  return out;
}

std::string CommandSection(Command command) {
  std::string page = ".SS \"fyrel " + std::string(CommandName(command)) + "\"\n.nf\n" +
                     Roff(CommandSynopsis(command)) + ".fi\n";
  for (const FlagSpec* flag : FlagsOf(command)) {
    page += ".TP\n\\fB" + Roff(flag->name) + "\\fR";
    if (flag->meta) page += " \\fI" + Roff(flag->meta) + "\\fR";
    page += "\n" + Roff(Unwrapped(flag->help)) + "\n";
    const std::string details = FlagDetails(command, *flag);
    if (!details.empty()) page += ".br\n(" + Roff(details) + ")\n";
  }
  return page;
}

// Each preset and what it looks like.
std::string PresetSection() {
  std::string section;
  for (const EffectPreset& preset : kEffectPresets) {
    section += ".TP\n\\fB" + Roff(preset.name) + "\\fR\n" + Roff(preset.description) + "\n";
  }
  return section;
}

}  // namespace

std::string ManPage() {
  std::string version = VersionText();
  version.pop_back();  // its newline
  std::string page =
      ".\\\" Written by fyrel_man_page from the flag table of fyrel's --help; do not edit.\n"
      ".TH FYREL 1 \"\" \"" + Roff(version) + "\" \"User Commands\"\n"
      ".nh\n.ad l\n"
      ".SH NAME\nfyrel \\- fire from any image, through the ZEL Fyrel effect\n"
      ".SH SYNOPSIS\n"
      ".B fyrel\n[\\fB\\-\\-plugin\\fR \\fIFILE\\fR] \\fICOMMAND\\fR [\\fIflags\\fR]\n.br\n"
      ".B fyrel\n\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR | \\fICOMMAND\\fR \\fB\\-\\-help\\fR\n"
      ".SH DESCRIPTION\n"
      "\\fBfyrel\\fR renders the fire effect built in and writes what it draws as PNG frames "
      "or, through \\fBffmpeg\\fR(1), a video. \\fB\\-\\-plugin\\fR \\fIFILE\\fR, before "
      "or after the command, drives that effect plug-in binary instead, through its entry "
      "point, as a compositing host would. A bad flag or value, or a source that cannot be "
      "read, is reported with one message and a non-zero exit status, and nothing is "
      "written.\n"
      ".SH COMMANDS\n";
  for (Command command : {Command::kRender, Command::kPreview, Command::kAbout, Command::kPresets}) {
    page += CommandSection(command);
  }
  page +=
      ".SH PRESETS\n" + PresetSection() +
      ".SH EXAMPLES\n.nf\n" +
      Roff("fyrel render --source logo.png --frames 200 --video fire.webm\n"
           "fyrel render --preset candle --velocity 30 --video candle.gif\n"
           "fyrel render --source clip.mp4 --composite over --video clip-on-fire.mp4\n"
           "fyrel render --source 'shot_%04d.png' --out fire\n"
           "fyrel preview --frames 100\n") +
      ".fi\n"
      ".SH FILES\n"
      ".TP\n/usr/lib/frei0r\\-1/fyrel.so\n"
      "the same effect as a frei0r filter, for \\fBffmpeg\\fR(1) (\\fB\\-vf frei0r=fyrel\\fR), "
      "GStreamer (\\fBfrei0r\\-filter\\-fyrel\\fR) and MLT.\n"
      ".SH \"SEE ALSO\"\n\\fBffmpeg\\fR(1), \\fBgst\\-launch\\-1.0\\fR(1), \\fBmelt\\fR(1)\n";
  return page;
}
