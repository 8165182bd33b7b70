// Where a command's frames (and video) go, checked before the first frame is made: the video
// format and ffmpeg, then the frame directory and the video's directory, made when missing and
// tried with a probe file. On a failure nothing is left behind.
#pragma once

#include <cstdint>
#include <string>

#include "cli/command_line.h"

// Checks the --video file's format and that ffmpeg runs; nothing is made. Throws a CliError.
void CheckVideoTarget(const Invocation& invocation);
// Makes the frame directory and the video's directory (either may be empty) when missing
// and checks that they take files; directories made here are removed again when a check
// fails. Throws a CliError.
void PrepareOutputDirectories(const std::string& framesDir, const std::string& videoPath);
