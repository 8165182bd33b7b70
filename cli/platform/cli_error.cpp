// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/platform/cli_error.h"

CliError::CliError(const std::string& message, int exitStatus)
    : std::runtime_error(message), exitStatus_(exitStatus) {}

CliError UsageError(const std::string& message) { return CliError(message, kExitUsage); }
