// SPDX-License-Identifier: GPL-2.0-or-later
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

#include "pictures/default_source.h"
#include "cli/media/orientation.h"
#include "cli/media/video_probe.h"
#if defined(FYREL_HAVE_LIBAV)
#include "cli/media/footage_module.h"
#endif
#include "cli/platform/child_process.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "pictures/png_structure.h"

namespace fs = std::filesystem;

void SourceFrames::TakeVideo(const std::string& path, const VideoStreamInfo& info) {
  files_.push_back(path);
  width_ = info.width;
  height_ = info.height;
  length_ = info.frames;
  rate_ = info.rate;
  hasRate_ = true;
}

namespace {

class StillSource : public SourceFrames {
 public:
  StillSource(RgbaImage image, const std::string& path) : image_(std::move(image)) {
    width_ = image_.width;
    height_ = image_.height;
    if (!path.empty()) files_.push_back(path);
  }
  bool Next(std::vector<uint8_t>* rgba) override {
    if (given_) throw CliError("a still source has one frame only");
    rgba->swap(image_.pixels);
    image_.pixels = std::vector<uint8_t>();
    given_ = true;
    return true;
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

  bool Next(std::vector<uint8_t>* rgba) override {
    if (next_ >= files_.size()) return false;
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
    return true;
  }

 private:
  std::string path_;
  size_t next_ = 0;
  RgbaImage frame_;
};

#if !defined(FYREL_HAVE_LIBAV)
// A video (or a still that only ffmpeg reads) decoded by ffmpeg into raw RGBA through a pipe,
// one frame a read, turned upright. ffmpeg passes every frame on as the demuxer and decoder
// give it (edit lists applied, no frames made up or dropped for a constant rate). The first
// frame is decoded at once, so that a file whose frames cannot be decoded stops the run before
// anything is written.
class VideoSource : public SourceFrames {
 public:
  VideoSource(const std::string& path, const VideoStreamInfo& info)
      : path_(path), orientation_(info.orientation) {
    TakeVideo(path, info);
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                                     "-noautorotate"};
    // ffmpeg's image reader takes a '%' in the name for a number unless told otherwise; the
    // option is known to that reader only.
    if (info.format == "image2") args.insert(args.end(), {"-pattern_type", "none"});
    // ffmpeg's own VP8 and VP9 decoders drop the alpha plane; libvpx's keep it.
    if (info.alpha) {
      args.insert(args.end(), {"-c:v", info.codec == "vp9" ? "libvpx-vp9" : "libvpx"});
    }
    args.insert(args.end(), {"-i", FfmpegFileName(path_), "-map", "0:v:0", "-vsync",
                             "passthrough", "-f", "rawvideo", "-pix_fmt", "rgba", "pipe:1"});
    decoder_ = std::make_unique<ChildProcess>(args, ChildProcess::Pipe::kFromOutput,
                                              ChildProcess::Errors::kKept);
    if (!ReadFrame(&first_)) {
      throw CliError(path_ + ": ffmpeg could not decode its first frame" + Reason());
    }
  }

  // ffmpeg itself passes over what does not decode and scales frames of another size to the
  // first's; its output ends where the frames that decode end.
  bool Next(std::vector<uint8_t>* rgba) override {
    if (read_ == 1 && !first_.empty()) {
      rgba->swap(first_);
      first_ = std::vector<uint8_t>();
      return true;
    }
    return read_ < length_ && ReadFrame(rgba);
  }
  SourceSound Sound() const override { return ProbeSound(path_); }

 private:
  // The next frame, upright, in `rgba`; false when ffmpeg gives no whole frame.
  bool ReadFrame(std::vector<uint8_t>* rgba) {
    const size_t bytes = static_cast<size_t>(width_) * height_ * 4;
    rgba->resize(bytes);
    std::vector<uint8_t>& into = orientation_.Upright() ? *rgba : stored_;
    into.resize(bytes);
    if (decoder_->Read(into.data(), bytes) != bytes) {
      decoder_->Kill();
      return false;
    }
    if (!orientation_.Upright()) {
      const int32_t storedWidth = orientation_.SwapsSides() ? height_ : width_;
      const int32_t storedHeight = orientation_.SwapsSides() ? width_ : height_;
      OrientFrame(stored_.data(), storedWidth, storedHeight, orientation_, rgba->data());
    }
    ++read_;
    return true;
  }

  // ffmpeg's own word on what went wrong, as " (its line)".
  std::string Reason() const {
    const std::string said = decoder_->LastErrorLine();
    return said.empty() ? "" : " (" + said + ")";
  }

  std::string path_;
  Orientation orientation_;
  std::unique_ptr<ChildProcess> decoder_;
  std::vector<uint8_t> first_;
  std::vector<uint8_t> stored_;  // a turned frame as it arrives
  int32_t read_ = 0;
};
#endif

#if defined(FYREL_HAVE_LIBAV)
// A video decoded in this process.
class DecodedSource : public SourceFrames {
 public:
  DecodedSource(std::unique_ptr<VideoDecoder> decoder, const std::string& path)
      : decoder_(std::move(decoder)) {
    TakeVideo(path, decoder_->Info());
  }
  bool Next(std::vector<uint8_t>* rgba) override { return decoder_->Next(rgba); }
  std::vector<std::string> TakeNotes() override { return decoder_->TakeNotes(); }
  SourceSound Sound() const override { return decoder_->Sound(); }

 private:
  std::unique_ptr<VideoDecoder> decoder_;
};

// The video, or the still, in `path`, read in this process.
std::unique_ptr<SourceFrames> OpenFootage(const std::string& path) {
  std::unique_ptr<VideoDecoder> decoder;
  try {
    decoder = OpenVideoDecoder(path);
  } catch (const CliError&) {
    // A file named .png that ffmpeg cannot read either: what is wrong with it as a PNG.
    if (LowercaseExtension(path) == "png") ReadPngFile(path);
    throw;
  }
  if (!decoder->Info().still) {
    return std::make_unique<DecodedSource>(std::move(decoder), path);
  }
  // A still serves any number of frames, whichever image format holds it.
  RgbaImage image;
  image.width = decoder->Info().width;
  image.height = decoder->Info().height;
  decoder->Next(&image.pixels);
  return std::make_unique<StillSource>(std::move(image), path);
}
#endif

void CheckReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw CliError("cannot read " + path + ": " + std::strerror(errno));
  std::fclose(file);
}

bool StartsWithPngSignature(const std::string& path) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char head[8] = {};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const size_t got = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  return got == sizeof head && std::memcmp(head, kSignature, sizeof head) == 0;
}

#if !defined(FYREL_HAVE_LIBAV)
// The video, or the still, in `path`, read by the ffmpeg program.
std::unique_ptr<SourceFrames> OpenFootage(const std::string& path) {
  std::unique_ptr<VideoSource> video;
  VideoStreamInfo info;
  try {
    info = ProbeVideo(path);
    video = std::make_unique<VideoSource>(path, info);
  } catch (const CliError&) {
    // A file named .png that ffmpeg cannot read either: what is wrong with it as a PNG.
    if (LowercaseExtension(path) == "png") ReadPngFile(path);
    throw;
  }
  if (!info.still) return video;
  // A still serves any number of frames, whichever image format holds it.
  RgbaImage image;
  image.width = video->Width();
  image.height = video->Height();
  video->Next(&image.pixels);
  return std::make_unique<StillSource>(std::move(image), path);
}
#endif

}  // namespace

std::unique_ptr<SourceFrames> OpenSource(const std::string& path) {
  if (path.empty()) return std::make_unique<StillSource>(DrawDefaultSource(), "");
  Pattern pattern;
  if (!PathExists(path) && SplitPattern(path, &pattern)) {
    return std::make_unique<SequenceSource>(path, pattern);
  }
  switch (KindOfFile(path)) {
    case FileKind::kMissing:
    case FileKind::kRegular: break;
    case FileKind::kDirectory: throw CliError("cannot read " + path + ": it is a directory");
    case FileKind::kStream:
      // A pipe or a device is read once, as it comes: ffprobe's look at it would use up what
      // ffmpeg is to read. A PNG reader reads no further than its image goes.
      if (LowercaseExtension(path) == "png") {
        return std::make_unique<StillSource>(ReadPngFile(path), path);
      }
      throw CliError("cannot read " + path +
                     ": it is a pipe or a device; a video source must be a file (a PNG can come "
                     "through a pipe when its name ends in .png)");
  }
  // An animated PNG is read frame by frame as any animation is; a PNG of one image is a still.
  if (StartsWithPngSignature(path) && !IsAnimatedPngFile(path)) {
    return std::make_unique<StillSource>(ReadPngFile(path), path);
  }
  CheckReadable(path);
  return OpenFootage(path);
}
