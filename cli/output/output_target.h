// SPDX-License-Identifier: GPL-2.0-or-later
// Where a command's frames (and video) go, checked before the first frame is made: the video
// format and ffmpeg, clashes between outputs and with the source, then the frame directory and
// the video's directory, made when missing and tried with a probe file. On a failure nothing
// is left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class FfmpegCheck;

// Checks the --video file's format and that ffmpeg runs (nothing when `videoPath` is empty);
// nothing is made. `ffmpegCheck`, when given, is one started earlier, so that ffmpeg answered
// while the caller did other work. Throws a CliError.
void CheckVideoTarget(const std::string& videoPath, FfmpegCheck* ffmpegCheck = nullptr);
// Makes the frame directory and the video's directory (either may be empty) when missing
// and checks that they take files; directories made here are removed again when a check
// fails. Throws a CliError.
void PrepareOutputDirectories(const std::string& framesDir, const std::string& videoPath);

// Everything a run is to write, and what it reads.
struct OutputPlan {
  std::string framesDir;                 // empty: no frame files
  int32_t firstFrame = 1, lastFrame = 0;
  std::string videoPath;                 // empty: no video
  std::vector<std::string> sourceFiles;  // the files the source reads
};

// Refuses every clash that can be known before the first frame, with a CliError naming the
// path: --out and --video naming one path, a directory (or other non-file) where a frame file
// goes, a frame file or the video that would replace a file the source reads.
void CheckOutputClashes(const OutputPlan& plan);
