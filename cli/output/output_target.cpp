// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/output/output_target.h"

#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "cli/media/video_encoder.h"
#include "cli/output/frame_names.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"

void CheckVideoTarget(const std::string& path, FfmpegCheck* ffmpegCheck) {
  if (path.empty()) return;
  VideoFormatOf(path);
  if (IsDirectory(path)) throw CliError("cannot write " + path + ": it is a directory");
  if (ffmpegCheck) {
    ffmpegCheck->Finish();
  } else {
    FfmpegCheck().Finish();
  }
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

namespace {

// The path as the file system resolves it (symbolic links and "..", as far as they exist), for
// telling whether two names are one file.
std::filesystem::path Resolved(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
  if (error) absolute = std::filesystem::path(path);
  std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return (error ? absolute : resolved).lexically_normal();
}

}  // namespace

void CheckOutputClashes(const OutputPlan& plan) {
  std::set<std::filesystem::path> sourceFiles;
  for (const std::string& file : plan.sourceFiles) sourceFiles.insert(Resolved(file));
  if (!plan.videoPath.empty()) {
    const std::filesystem::path video = Resolved(plan.videoPath);
    if (!plan.framesDir.empty() && video == Resolved(plan.framesDir)) {
      throw UsageError("--out and --video name the same path, " + plan.videoPath);
    }
    if (sourceFiles.count(video)) {
      throw CliError("cannot write " + plan.videoPath + ": it is the source being read");
    }
  }
  if (plan.framesDir.empty()) return;
  const bool dirExists = IsDirectory(plan.framesDir);
  const std::filesystem::path dir = Resolved(plan.framesDir);
  for (int64_t frame = plan.firstFrame; frame <= plan.lastFrame; ++frame) {
    const std::string name = FrameFileName(static_cast<int32_t>(frame));
    const std::string path = JoinPath(plan.framesDir, name);
    if (sourceFiles.count(dir / name)) {
      throw CliError("cannot write " + path + ": it is a frame of the source being read");
    }
    if (!dirExists) continue;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      throw CliError("cannot write " + path + ": " +
                     (std::filesystem::is_directory(status) ? "it is a directory"
                                                            : "it is not a regular file"));
    }
  }
}
