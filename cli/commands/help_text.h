// The texts of --help and --version, written from the flag table.
#pragma once

#include <string>

#include "cli/flags/flag_table.h"

std::string GeneralHelp();
std::string CommandHelp(Command command);
std::string VersionText();
