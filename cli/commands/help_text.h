// SPDX-License-Identifier: GPL-2.0-or-later
// The texts of --help and --version, written from the flag table (the manual page is written
// from the same parts).
#pragma once

#include <string>

#include "cli/flags/flag_table.h"

std::string GeneralHelp();
std::string CommandHelp(Command command);
// The usage lines and what the command does: the start of its help.
std::string CommandSynopsis(Command command);
// What a flag of `command` takes and its default, "1 to 100, default 45"; empty when neither.
std::string FlagDetails(Command command, const FlagSpec& flag);
// The presets, one a line: the name, then its description.
std::string PresetList();
std::string VersionText();
// What --version tells after the version: the licence, and that there is no warranty.
std::string LicenceText();
