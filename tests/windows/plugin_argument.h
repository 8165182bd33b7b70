// SPDX-License-Identifier: GPL-2.0-or-later
// The Windows test programs that drive the built plug-in take its path as their one argument.
#pragma once

#include <cstdio>
#include <string>

#include "minihost/effect_host.h"
#include "tests/windows/check.h"
#include "tests/windows/wine_path.h"

// Loads the plug-in named on the command line. Null when it cannot: the usage or the failed
// check has then been reported, and *exitCode holds what the program should return.
inline PF_EffectEntry LoadPluginArgument(int argc, char** argv, const char* program,
                                         int* exitCode) {
  if (argc != 2) {
    std::printf("usage: %s path/to/Fyrel.aex\n", argv[0]);
    *exitCode = 2;
    return nullptr;
  }
  std::string error;
  PF_EffectEntry entry = LoadEffectPlugin(WindowsPath(argv[1]), &error);
  if (!CHECK(entry != nullptr)) {
    std::printf("  %s\n", error.c_str());
    *exitCode = check::Summary(program);
  }
  return entry;
}
