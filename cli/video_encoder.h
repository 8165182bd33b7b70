// Encoding the written frames into one video with ffmpeg. The container follows the file's
// extension: .webm (VP9 with its alpha channel), .gif (one transparent palette entry) or
// .mp4 (H.264 without alpha: the fire laid over black, odd sides padded by one black line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class VideoFormat { kMp4, kWebm, kGif };

// The format of `path`; throws a usage CliError for any other extension.
VideoFormat VideoFormatOf(const std::string& path);

// Throws a CliError unless ffmpeg can be run.
void CheckFfmpegAvailable();

struct VideoJob {
  std::string framesDir;
  int32_t firstFrame = 1;
  int32_t frameCount = 0;
  int32_t fps = 25;
  bool framesHaveAlpha = true;  // RGBA frames (render) or opaque RGB (preview)
  std::string videoPath;
};

// ffmpeg's arguments for the job, writing to `outputPath` (exposed for the tests).
std::vector<std::string> FfmpegArguments(const VideoJob& job, const std::string& outputPath);

// Encodes to a temporary name beside the video and renames it into place. Throws a CliError
// when ffmpeg fails; an earlier video of that name is then left as it was.
void EncodeVideo(const VideoJob& job);
