// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel presets: the named looks render --preset starts from, one a line.
#include <cstdio>

#include "cli/commands/commands.h"
#include "cli/commands/help_text.h"

int RunPresetsCommand(const Invocation&) {
  std::fputs(PresetList().c_str(), stdout);
  return 0;
}
