// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/video_probe.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "cli/platform/child_process.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "pictures/rgba_image.h"

namespace {

int32_t PositiveNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 ||
      !std::all_of(text.begin(), text.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return 0;
  }
  return static_cast<int32_t>(std::stol(text));
}

// "30000/1001" as a rate; false for "0/0" and anything not of that form.
bool RateOf(const std::string& text, FrameRate* rate) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  return ReducedRate(PositiveNumber(text.substr(0, slash)), PositiveNumber(text.substr(slash + 1)),
                     rate);
}

// The display matrix as ffprobe prints it: three lines "0000000k: a b u" after its key.
bool MatrixOf(const std::map<std::string, std::string>& values, int64_t matrix[9]) {
  for (int row = 0; row < 3; ++row) {
    const auto found = values.find("0000000" + std::to_string(row));
    if (found == values.end()) return false;
    std::istringstream numbers(found->second);
    for (int column = 0; column < 3; ++column) {
      if (!(numbers >> matrix[row * 3 + column])) return false;
    }
  }
  return true;
}

// Output of a probe: everything it writes, up to a bound, and its exit status.
std::string Run(ChildProcess& probe, int* status) {
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = probe.Read(buffer, sizeof buffer)) > 0 && text.size() < 65536) {
    text.append(buffer, got);
  }
  *status = probe.Wait();
  return text;
}

std::unique_ptr<ChildProcess> StartProbe(const std::vector<std::string>& args,
                                         const std::string& path) {
  try {
    return std::make_unique<ChildProcess>(args, ChildProcess::Pipe::kFromOutput,
                                          ChildProcess::Errors::kKept);
  } catch (const CliError&) {
    throw CliError(path + " is not a PNG; reading a video needs ffprobe and ffmpeg, which cannot be "
                   "run here (Debian: apt-get install ffmpeg)");
  }
}

}  // namespace

VideoStreamInfo ParseVideoProbe(const std::string& text, const std::string& path) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t split = line.find('=');
    // The display matrix's rows: "00000000:            0       65536           0".
    if (line.size() > 9 && line[8] == ':' && line.compare(0, 7, "0000000") == 0) split = 8;
    if (split != std::string::npos) values[line.substr(0, split)] = line.substr(split + 1);
  }
  if (values.find("width") == values.end()) throw CliError(path + ": no video stream");
  VideoStreamInfo info;
  info.width = PositiveNumber(values["width"]);
  info.height = PositiveNumber(values["height"]);
  info.frames = PositiveNumber(values["nb_read_frames"]);
  info.format = values["format_name"];
  info.codec = values["codec_name"];
  if (info.width <= 0 || info.height <= 0 || info.frames <= 0) {
    throw CliError(path + ": its video stream has no frames ffmpeg can read");
  }
  int64_t matrix[9];
  if (MatrixOf(values, matrix) && !OrientationFromMatrix(matrix, &info.orientation)) {
    throw CliError(path + ": its display matrix turns the picture by " + values["rotation"] +
                   " degrees or scales it; only quarter turns and flips are read");
  }
  if (info.orientation.SwapsSides()) std::swap(info.width, info.height);
  if (info.width > kMaxImageSide || info.height > kMaxImageSide) {
    throw CliError(path + ": the video is " + std::to_string(info.width) + "x" +
                   std::to_string(info.height) + ", larger than " +
                   std::to_string(kMaxImageSide) + " pixels on a side");
  }
  // The frames' own rate when they keep it; their average when it varies (a phone's or a
  // screen recorder's clip), which keeps the clip's length.
  FrameRate real, average;
  const bool hasReal = RateOf(values["r_frame_rate"], &real);
  const bool hasAverage = RateOf(values["avg_frame_rate"], &average);
  ChooseStreamRate(hasReal ? &real : nullptr, hasAverage ? &average : nullptr, &info.rate);
  info.alpha = values["TAG:alpha_mode"] == "1" && (info.codec == "vp9" || info.codec == "vp8");
  info.still = IsStill(info.format, info.frames);
  return info;
}

void ChooseStreamRate(const FrameRate* real, const FrameRate* average, FrameRate* rate) {
  if (real && (!average || std::abs(average->Value() / real->Value() - 1.0) < 0.01)) {
    *rate = *real;
  } else if (average) {
    *rate = *average;
  }
}

bool IsStill(const std::string& format, int32_t frames) {
  const bool pipeReader = format.size() > 5 && format.compare(format.size() - 5, 5, "_pipe") == 0;
  const bool imageReader = format == "image2" || pipeReader;
  return frames == 1 && (imageReader || format == "gif" || format == "apng");
}

VideoStreamInfo ProbeVideo(const std::string& path) {
  std::unique_ptr<ChildProcess> probe = StartProbe(
      {"ffprobe", "-v", "error", "-pattern_type", "none", "-select_streams", "v:0",
       "-count_frames", "-show_entries",
       "stream=codec_name,width,height,r_frame_rate,avg_frame_rate,nb_read_frames:"
       "stream_side_data=displaymatrix,rotation:stream_tags=alpha_mode:format=format_name",
       "-of", "default=nw=1", FfmpegFileName(path)},
      path);
  int status = 0;
  const std::string text = Run(*probe, &status);
  if (status != 0) {
    std::string said = probe->LastErrorLine();
    // "file:/the/whole/path: Invalid data found when processing input": the reason alone.
    const std::string name = FfmpegFileName(path) + ": ";
    if (said.compare(0, name.size(), name) == 0) said.erase(0, name.size());
    throw CliError(path + ": not a video or image that ffmpeg can read" +
                   (said.empty() ? "" : " (" + said + ")"));
  }
  VideoStreamInfo info = ParseVideoProbe(text, path);
  if (!info.still) return info;
  // A photo's turn is its own (a JPEG's EXIF orientation, as every phone writes it): ffmpeg
  // hands it over with the frame, not the stream.
  std::unique_ptr<ChildProcess> frame = StartProbe(
      {"ffprobe", "-v", "error", "-pattern_type", "none", "-select_streams", "v:0",
       "-read_intervals", "%+#1", "-show_entries", "frame_side_data=displaymatrix,rotation",
       "-of", "default=nw=1", FfmpegFileName(path)},
      path);
  const std::string turn = Run(*frame, &status);
  return status == 0 ? ParseVideoProbe(text + turn, path) : info;
}

SourceSound ParseSoundProbe(const std::string& text) {
  SourceSound sound;
  double videoStart = -1.0, fileStart = 0.0;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::map<std::string, std::string> fields;
    std::istringstream parts(line);
    std::string part, section;
    std::getline(parts, section, '|');
    while (std::getline(parts, part, '|')) {
      const size_t equals = part.find('=');
      if (equals != std::string::npos) fields[part.substr(0, equals)] = part.substr(equals + 1);
    }
    char* end = nullptr;
    const std::string& start = fields["start_time"];
    double seconds = std::strtod(start.c_str(), &end);
    const bool known = !start.empty() && end && *end == '\0' && std::isfinite(seconds);
    if (!known) seconds = 0.0;
    if (section == "format") fileStart = seconds;
    if (section != "stream") continue;
    if (fields["codec_type"] == "video" && videoStart < 0) videoStart = seconds;
    if (fields["codec_type"] == "audio" && sound.codec.empty()) sound.codec = fields["codec_name"];
  }
  // ffmpeg starts each file it reads at its first moment: the audio keeps its place from
  // there, and the frames are put where the video's first one was.
  if (videoStart > fileStart) sound.videoDelay = std::min(videoStart - fileStart, 86400.0);
  return sound;
}

SourceSound ProbeSound(const std::string& path) {
  std::unique_ptr<ChildProcess> probe = StartProbe(
      {"ffprobe", "-v", "error", "-pattern_type", "none", "-show_entries",
       "stream=codec_type,codec_name,start_time:format=start_time", "-of", "compact",
       FfmpegFileName(path)},
      path);
  int status = 0;
  const std::string text = Run(*probe, &status);
  SourceSound sound = status == 0 ? ParseSoundProbe(text) : SourceSound();
  if (!sound.codec.empty()) sound.path = path;
  return sound;
}
