// SPDX-License-Identifier: GPL-2.0-or-later
// The one way the command reports a failure: a message for the user and the exit status.
#pragma once

#include <stdexcept>
#include <string>

// Exit statuses: 1 for a failed run, 2 for a command line that cannot be run.
enum : int { kExitFailure = 1, kExitUsage = 2 };

class CliError : public std::runtime_error {
 public:
  explicit CliError(const std::string& message, int exitStatus = kExitFailure);
  int ExitStatus() const { return exitStatus_; }

 private:
  int exitStatus_;
};

// A command-line mistake (unknown flag, bad value): exits with kExitUsage.
CliError UsageError(const std::string& message);
