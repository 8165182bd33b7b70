// SPDX-License-Identifier: GPL-2.0-or-later
// The manual page as man shows it: every flag of every command, in its command's section, with
// its help, what it takes and its default as --help gives them; and nothing for groff to warn
// about.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/commands/help_text.h"
#include "cli/flags/flag_table.h"
#include "effect/effect_presets.h"
#include "tests/cli/process_runner.h"

namespace {

// Runs of white space as one space: the page wraps where the reader's width says.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != ' ' && c != '\n') out += c;
    else if (!out.empty() && out.back() != ' ') out += ' ';
  }
  return out;
}

TEST(ManPage, ShowsEveryFlagWithItsRangeAndDefault) {
  const auto shell = [](const std::string& command) {
    return RunShell(command, std::filesystem::temp_directory_path());
  };
  if (shell("command -v man").status != 0) GTEST_SKIP() << "man is not installed (man-db)";
  const std::string page = ShellQuoted(FYREL_MAN_PAGE);
  EXPECT_EQ(shell("zcat " + page + " | groff -man -Tutf8 -ww -z").output, "");
  const std::string text =
      Squeezed(shell("LANG=C.UTF-8 MANWIDTH=80 man -l -P cat " + page).output);
  // Each command's section runs to the next one; an entry is the flag, its value's name, its
  // help and, in brackets, what it takes and its default.
  const Command commands[] = {Command::kRender, Command::kPreview, Command::kAbout,
                              Command::kPresets};
  const auto heading = [](Command command) {
    return std::string("fyrel ") + CommandName(command) + " usage: fyrel ";
  };
  for (size_t i = 0; i < 4; ++i) {
    const size_t start = text.find(heading(commands[i]));
    ASSERT_NE(start, std::string::npos) << heading(commands[i]);
    const size_t end = text.find(i < 3 ? heading(commands[i + 1]) : " PRESETS ");
    const std::string section = text.substr(start, end - start) + " ";
    for (const FlagSpec* flag : FlagsOf(commands[i])) {
      std::string entry = flag->name;
      if (flag->meta) entry += std::string(" ") + flag->meta;
      entry += " " + Squeezed(flag->help);
      const std::string details = FlagDetails(commands[i], *flag);
      if (!details.empty()) entry += " (" + details + ")";
      EXPECT_NE(section.find(entry + " "), std::string::npos) << entry;
    }
  }
  // Every preset, with what it looks like, in its own section.
  const size_t presets = text.find(" PRESETS ");
  ASSERT_NE(presets, std::string::npos);
  const std::string section = text.substr(presets, text.find(" EXAMPLES ") - presets) + " ";
  for (const EffectPreset& preset : kEffectPresets) {
    const std::string entry = std::string(" ") + preset.name + " " + preset.description + " ";
    EXPECT_NE(section.find(entry), std::string::npos) << entry;
  }
}

}  // namespace
