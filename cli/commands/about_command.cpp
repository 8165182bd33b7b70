// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel about: the effect's About text, as the host receives it in return_msg.
#include <cstdio>
#include <string>

#include "cli/commands/commands.h"
#include "cli/commands/effect_session.h"

int RunAboutCommand(const Invocation& invocation) {
  const std::string text = EffectAboutText(invocation.pluginPath);
  // The host's message box breaks lines at carriage returns; a terminal needs line feeds.
  std::string shown;
  for (char c : text) shown += c == '\r' ? '\n' : c;
  if (shown.empty() || shown.back() != '\n') shown += '\n';
  std::fputs(shown.c_str(), stdout);
  return 0;
}
