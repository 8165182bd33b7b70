// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel_man_page FILE: writes the manual page fyrel(1) to FILE, whole or not at all.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands/man_page.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/whole_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const std::string page = ManPage();
  try {
    WriteWholeFile(argv[1], std::vector<uint8_t>(page.begin(), page.end()));
  } catch (const CliError& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
