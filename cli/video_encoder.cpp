#include "cli/video_encoder.h"

#include "cli/cli_error.h"
#include "cli/file_system.h"
#include "cli/frame_names.h"
#include "cli/interrupt_cleanup.h"
#include "cli/run_program.h"

namespace {

// H.264 in 4:2:0 needs even sides; an odd frame gets one black row or column more.
const char* const kEvenSides = "pad=ceil(iw/2)*2:ceil(ih/2)*2:color=black";

}  // namespace

VideoFormat VideoFormatOf(const std::string& path) {
  std::string extension = LowercaseExtension(path);
  if (extension == "mp4") return VideoFormat::kMp4;
  if (extension == "webm") return VideoFormat::kWebm;
  if (extension == "gif") return VideoFormat::kGif;
  throw UsageError("--video takes a .mp4, .webm or .gif file, not '" + path + "'");
}

void CheckFfmpegAvailable() {
  int status = RunProgram({"ffmpeg", "-hide_banner", "-loglevel", "quiet", "-version"}, true);
  if (status != 0) {
    throw CliError(
        "--video needs ffmpeg, which cannot be run here; install it (Debian: apt-get install "
        "ffmpeg) or leave out --video");
  }
}

std::vector<std::string> FfmpegArguments(const VideoJob& job, const std::string& outputPath) {
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                                   "-y", "-framerate", std::to_string(job.fps),
                                   "-start_number", std::to_string(job.firstFrame),
                                   "-i", JoinPath(job.framesDir, FrameFilePattern()),
                                   "-frames:v", std::to_string(job.frameCount)};
  switch (VideoFormatOf(job.videoPath)) {
    case VideoFormat::kWebm:
      // VP9 keeps alpha in a second plane and takes odd sides as they are.
      args.insert(args.end(), {"-vf", job.framesHaveAlpha ? "format=yuva420p" : "format=yuv420p",
                               "-c:v", "libvpx-vp9", "-b:v", "0", "-crf", "30",
                               "-auto-alt-ref", "0", "-f", "webm"});
      break;
    case VideoFormat::kGif:
      // One palette for the whole clip, with its last entry kept for transparency.
      args.insert(args.end(),
                  {"-filter_complex",
                   job.framesHaveAlpha
                       ? "[0:v]split[a][b];[a]palettegen=reserve_transparent=1:stats_mode=full[p];"
                         "[b][p]paletteuse=alpha_threshold=128"
                       : "[0:v]split[a][b];[a]palettegen=reserve_transparent=0:stats_mode=full[p];"
                         "[b][p]paletteuse",
                   "-loop", "0", "-f", "gif"});
      break;
    case VideoFormat::kMp4:
      // Straight alpha would show faint pixels at full colour; weighting by alpha lays the
      // fire over black, as a player without alpha shows it.
      args.insert(args.end(), {"-vf",
                               std::string(job.framesHaveAlpha ? "premultiply=inplace=1," : "") +
                                   kEvenSides + ",format=yuv420p",
                               "-c:v", "libx264", "-crf", "18", "-movflags", "+faststart",
                               "-f", "mp4"});
      break;
  }
  args.push_back(outputPath);
  return args;
}

void EncodeVideo(const VideoJob& job) {
  std::string temporary = TemporaryNameFor(job.videoPath);
  WatchTemporaryFile(temporary);
  int status = RunProgram(FfmpegArguments(job, temporary), false);
  if (status != 0) {
    RemoveFileQuietly(temporary);
    ForgetTemporaryFile();
    throw CliError("ffmpeg could not encode " + job.videoPath +
                   (status < 0 ? " (it could not be started)"
                               : " (exit status " + std::to_string(status) + ")"));
  }
  std::string error;
  bool renamed = RenameOver(temporary, job.videoPath, &error);
  if (!renamed) RemoveFileQuietly(temporary);
  ForgetTemporaryFile();
  if (!renamed) throw CliError("cannot write " + job.videoPath + ": " + error);
}
