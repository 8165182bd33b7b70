// SPDX-License-Identifier: GPL-2.0-or-later
// The four commands. Each checks all of its input before it writes anything and throws a
// CliError with one clear message when something is wrong. They return the exit status.
#pragma once

#include "cli/flags/command_line.h"

int RunRenderCommand(const Invocation& invocation);
int RunPreviewCommand(const Invocation& invocation);
int RunAboutCommand(const Invocation& invocation);
int RunPresetsCommand(const Invocation& invocation);
