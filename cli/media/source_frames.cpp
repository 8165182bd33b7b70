#include "cli/media/source_frames.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>
#include <vector>

#include "cli/media/default_source.h"
#include "cli/platform/child_process.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"

namespace fs = std::filesystem;

namespace {

class StillSource : public SourceFrames {
 public:
  StillSource(RgbaImage image, const std::string& path) : image_(std::move(image)) {
    width_ = image_.width;
    height_ = image_.height;
    if (!path.empty()) files_.push_back(path);
  }
  void Next(std::vector<uint8_t>* rgba) override {
    if (given_) throw CliError("a still source has one frame only");
    rgba->swap(image_.pixels);
    image_.pixels = std::vector<uint8_t>();
    given_ = true;
  }

 private:
  RgbaImage image_;
  bool given_ = false;
};

// A sequence pattern split at its number: prefix, zero-padded width (0: none), suffix.
struct Pattern {
  fs::path dir;
  std::string prefix, suffix;
  int width = 0;
};

bool SplitPattern(const std::string& path, Pattern* pattern) {
  const fs::path whole(path);
  const std::string name = whole.filename().string();
  const size_t percent = name.find('%');
  if (percent == std::string::npos) return false;
  size_t at = percent + 1;
  int width = 0;
  if (at < name.size() && name[at] == '0') {
    ++at;
    while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at]))) {
      width = width * 10 + (name[at] - '0');
      if (width > 9) return false;
      ++at;
    }
  }
  if (at >= name.size() || name[at] != 'd') return false;
  if (name.find('%', at) != std::string::npos) return false;  // one number only
  pattern->dir = whole.has_parent_path() ? whole.parent_path() : fs::path(".");
  pattern->prefix = name.substr(0, percent);
  pattern->suffix = name.substr(at + 1);
  pattern->width = width;
  return true;
}

std::string NameOf(const Pattern& pattern, int64_t number) {
  std::string digits = std::to_string(number);
  if (static_cast<int>(digits.size()) < pattern.width) {
    digits.insert(0, static_cast<size_t>(pattern.width) - digits.size(), '0');
  }
  return pattern.prefix + digits + pattern.suffix;
}

class SequenceSource : public SourceFrames {
 public:
  SequenceSource(const std::string& path, const Pattern& pattern) : path_(path) {
    // Every file the pattern names, by number; a name the pattern would write otherwise
    // (shot_12.png for shot_%04d.png) is not one of them.
    std::map<int64_t, fs::path> found;
    std::error_code error;
    fs::directory_iterator entries(pattern.dir, error);
    if (error) throw CliError("cannot read " + path + ": " + error.message());
    for (const fs::directory_entry& entry : entries) {
      const std::string name = entry.path().filename().string();
      if (name.size() <= pattern.prefix.size() + pattern.suffix.size()) continue;
      if (name.compare(0, pattern.prefix.size(), pattern.prefix) != 0) continue;
      if (name.compare(name.size() - pattern.suffix.size(), pattern.suffix.size(),
                       pattern.suffix) != 0) {
        continue;
      }
      const std::string digits = name.substr(
          pattern.prefix.size(), name.size() - pattern.prefix.size() - pattern.suffix.size());
      if (digits.size() > 9 ||
          !std::all_of(digits.begin(), digits.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        continue;
      }
      const int64_t number = std::stoll(digits);
      if (NameOf(pattern, number) == name) found[number] = entry.path();
    }
    if (found.empty()) throw CliError("cannot read " + path + ": no file of the sequence is there");
    int64_t expected = found.begin()->first;
    for (const auto& numbered : found) {
      if (numbered.first != expected) {
        throw CliError(path + ": the sequence has a gap: " + NameOf(pattern, expected) +
                       " is missing between " + NameOf(pattern, expected - 1) + " and " +
                       NameOf(pattern, numbered.first));
      }
      files_.push_back(numbered.second.string());
      ++expected;
    }
    length_ = static_cast<int32_t>(std::min<size_t>(files_.size(), INT32_MAX));
    // The first frame now: it sets the size, and a broken first file stops the run before
    // anything is written.
    frame_ = ReadPngFile(files_[0]);
    width_ = frame_.width;
    height_ = frame_.height;
  }

  void Next(std::vector<uint8_t>* rgba) override {
    if (next_ >= files_.size()) throw CliError(path_ + ": the sequence has no more frames");
    if (next_ > 0) {
      frame_.pixels.swap(*rgba);
      ReadPngFile(files_[next_], &frame_);
    }
    if (frame_.width != width_ || frame_.height != height_) {
      throw CliError(files_[next_] + ": the image is " + std::to_string(frame_.width) + "x" +
                     std::to_string(frame_.height) + ", not " + std::to_string(width_) + "x" +
                     std::to_string(height_) + " as the sequence's first");
    }
    rgba->swap(frame_.pixels);
    ++next_;
  }

 private:
  std::string path_;
  size_t next_ = 0;
  RgbaImage frame_;
};

// What ffprobe says about the first video stream: key=value lines of its size and packet count.
std::string ProbeVideo(const std::string& path) {
  std::unique_ptr<ChildProcess> probe;
  try {
    probe = std::make_unique<ChildProcess>(
        std::vector<std::string>{"ffprobe", "-v", "error", "-pattern_type", "none",
                                 "-select_streams", "v:0", "-count_packets", "-show_entries",
                                 "stream=width,height,nb_read_packets:format=format_name",
                                 "-of", "default=nw=1", FfmpegFileName(path)},
        ChildProcess::Pipe::kFromOutput, true);
  } catch (const CliError&) {
    throw CliError(path + " is not a PNG; reading a video needs ffprobe and ffmpeg, which cannot be "
                   "run here (Debian: apt-get install ffmpeg)");
  }
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = probe->Read(buffer, sizeof buffer)) > 0 && text.size() < 65536) {
    text.append(buffer, got);
  }
  if (probe->Wait() != 0) throw CliError(path + ": not a video or image that ffmpeg can read");
  return text;
}

int32_t PositiveNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 ||
      !std::all_of(text.begin(), text.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return 0;
  }
  return static_cast<int32_t>(std::stol(text));
}

class VideoSource : public SourceFrames {
 public:
  explicit VideoSource(const std::string& path) : path_(path) {
    files_.push_back(path);
    const VideoStreamInfo info = ParseVideoProbe(ProbeVideo(path), path);
    width_ = info.width;
    height_ = info.height;
    length_ = info.frames;
    // ffmpeg's image reader takes a '%' in the name for a number unless told otherwise; the
    // option is known to that reader only.
    literalName_ = info.format == "image2";
  }

  void Next(std::vector<uint8_t>* rgba) override {
    rgba->resize(static_cast<size_t>(width_) * height_ * 4);
    if (!decoder_) {
      std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel",
                                       "error"};
      if (literalName_) args.insert(args.end(), {"-pattern_type", "none"});
      args.insert(args.end(), {"-i", FfmpegFileName(path_), "-map", "0:v:0", "-f", "rawvideo",
                               "-pix_fmt", "rgba", "pipe:1"});
      decoder_ = std::make_unique<ChildProcess>(args, ChildProcess::Pipe::kFromOutput, false);
    }
    if (decoder_->Read(rgba->data(), rgba->size()) != rgba->size()) {
      decoder_->Kill();
      throw CliError(path_ + ": ffmpeg could not decode frame " + std::to_string(read_ + 1) +
                     " of " + std::to_string(length_));
    }
    ++read_;
  }

 private:
  std::string path_;
  std::unique_ptr<ChildProcess> decoder_;
  bool literalName_ = false;
  int32_t read_ = 0;
};

void CheckReadable(const std::string& path) {
  if (IsDirectory(path)) throw CliError("cannot read " + path + ": it is a directory");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw CliError("cannot read " + path + ": " + std::strerror(errno));
  std::fclose(file);
}

}  // namespace

VideoStreamInfo ParseVideoProbe(const std::string& text, const std::string& path) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  if (values.find("width") == values.end()) throw CliError(path + ": no video stream");
  VideoStreamInfo info;
  info.width = PositiveNumber(values["width"]);
  info.height = PositiveNumber(values["height"]);
  info.frames = PositiveNumber(values["nb_read_packets"]);
  info.format = values["format_name"];
  if (info.width <= 0 || info.height <= 0 || info.frames <= 0) {
    throw CliError(path + ": its video stream has no frames ffmpeg can read");
  }
  if (info.width > kMaxImageSide || info.height > kMaxImageSide) {
    throw CliError(path + ": the video is " + std::to_string(info.width) + "x" +
                   std::to_string(info.height) + ", larger than " +
                   std::to_string(kMaxImageSide) + " pixels on a side");
  }
  return info;
}

std::unique_ptr<SourceFrames> OpenSource(const std::string& path) {
  if (path.empty()) return std::make_unique<StillSource>(DrawDefaultSource(), "");
  Pattern pattern;
  if (!PathExists(path) && SplitPattern(path, &pattern)) {
    return std::make_unique<SequenceSource>(path, pattern);
  }
  if (LowercaseExtension(path) == "png") {
    return std::make_unique<StillSource>(ReadPngFile(path), path);
  }
  CheckReadable(path);
  return std::make_unique<VideoSource>(path);
}
