// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel: fire from any image, through the effect's own entry.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/commands/help_text.h"
#include "cli/flags/command_line.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/interrupt_cleanup.h"

namespace {

int Run(const std::vector<std::string>& args) {
  Invocation invocation = ParseCommandLine(args);
  if (invocation.showVersion) {
    std::fputs((VersionText() + LicenceText()).c_str(), stdout);
    return 0;
  }
  if (invocation.command == Command::kNone) {
    std::fputs(GeneralHelp().c_str(), invocation.showHelp ? stdout : stderr);
    return invocation.showHelp ? 0 : kExitUsage;
  }
  if (invocation.showHelp) {
    std::fputs(CommandHelp(invocation.command).c_str(), stdout);
    return 0;
  }
  switch (invocation.command) {
    case Command::kRender: return RunRenderCommand(invocation);
    case Command::kPreview: return RunPreviewCommand(invocation);
    case Command::kAbout: return RunAboutCommand(invocation);
    case Command::kPresets: return RunPresetsCommand(invocation);
    case Command::kNone: break;
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  InstallInterruptCleanup();
  try {
    int status = Run(args);
    if (std::fflush(stdout) != 0) {
      std::fprintf(stderr, "fyrel: cannot write to standard output: %s\n", std::strerror(errno));
      return kExitFailure;
    }
    return status;
  } catch (const CliError& error) {
    std::fprintf(stderr, "fyrel: %s\n", error.what());
    return error.ExitStatus();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "fyrel: out of memory\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fyrel: %s\n", error.what());
  }
  return kExitFailure;
}
