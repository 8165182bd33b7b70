// Where a command's frames (and video) go, checked before the first frame is made: the video
// format and ffmpeg, the video's directory, and the frame directory, made when missing and
// tried with a probe file. On a failure nothing is left behind.
#pragma once

#include <string>

#include "cli/command_line.h"

// Checks the --video target; nothing is made. Throws a CliError.
void CheckVideoTarget(const Invocation& invocation);
// Makes `dir` when missing and checks that it takes files; a directory made here is removed
// again when the check fails. Throws a CliError.
void PrepareFramesDirectory(const std::string& dir);
