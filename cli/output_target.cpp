#include "cli/output_target.h"

#include <vector>

#include "cli/cli_error.h"
#include "cli/file_system.h"
#include "cli/video_encoder.h"

void CheckVideoTarget(const Invocation& invocation) {
  if (invocation.videoPath.empty()) return;
  const std::string& path = invocation.videoPath;
  VideoFormatOf(path);
  if (IsDirectory(path)) throw CliError("cannot write " + path + ": it is a directory");
  CheckFfmpegAvailable();
}

void PrepareOutputDirectories(const std::string& framesDir, const std::string& videoPath) {
  std::vector<std::string> created;
  try {
    if (!framesDir.empty()) {
      MakeDirectories(framesDir, &created);
      CheckDirectoryWritable(framesDir);
    }
    if (!videoPath.empty()) {
      std::string videoDir = ParentDirectory(videoPath);
      MakeDirectories(videoDir, &created);
      CheckDirectoryWritable(videoDir);
    }
  } catch (const CliError&) {
    RemoveDirectories(created);
    throw;
  }
}
