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
  std::string dir = ParentDirectory(path);
  if (!IsDirectory(dir)) {
    throw CliError("cannot write " + path + ": the directory " + dir + " does not exist");
  }
  CheckDirectoryWritable(dir);
  CheckFfmpegAvailable();
}

void PrepareFramesDirectory(const std::string& dir) {
  std::vector<std::string> created;
  try {
    MakeDirectories(dir, &created);
    CheckDirectoryWritable(dir);
  } catch (const CliError&) {
    RemoveDirectories(created);
    throw;
  }
}
