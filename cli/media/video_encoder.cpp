// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/video_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "cli/platform/interrupt_cleanup.h"
#include "effect/fire_over.h"
#if defined(FYREL_HAVE_LIBAV)
#include "cli/media/footage_module.h"
#include "cli/media/frame_feed.h"
#else
class YuvFrames {};  // never made: the frames go to ffmpeg as they are
class FrameFeed {};
#endif

bool ConvertsToYuvHere(const std::string& videoPath) {
#if defined(FYREL_HAVE_LIBAV)
  return VideoFormatOf(videoPath) == VideoFormat::kMp4;
#else
  (void)videoPath;
  return false;
#endif
}

namespace {

// H.264 in 4:2:0 needs even sides; an odd frame gets one black row or column more.
const char* const kEvenSides = "pad=ceil(iw/2)*2:ceil(ih/2)*2:color=black";

// An MP4's frames are sent as the 4:2:0 YUV its encoder takes, converted here on threads.
bool SendsYuv(const VideoJob& job) { return ConvertsToYuvHere(job.videoPath); }

// The memory that converted frames may take while they wait for ffmpeg to read them: the
// third of a second or so that x264 reads nothing while it starts compressing, at 1920x1080.
constexpr size_t kFeedBudget = size_t{96} << 20;

// Else an MP4, which has no alpha, is sent RGBA frames as RGB weighted by their alpha.
bool PremultipliesToRgb(const VideoJob& job) {
  return job.framesHaveAlpha && VideoFormatOf(job.videoPath) == VideoFormat::kMp4 &&
         !SendsYuv(job);
}

// The audio codec for `format`: "copy" when the container takes `codec` as it is.
const char* AudioCodecFor(VideoFormat format, const std::string& codec) {
  if (format == VideoFormat::kWebm) {
    return codec == "opus" || codec == "vorbis" ? "copy" : "libopus";
  }
  // What ffmpeg writes into an MP4 without calling it experimental (FLAC is, in the ffmpeg of
  // Debian 12: it is encoded to AAC with the rest).
  for (const char* kept : {"aac", "mp3", "alac", "ac3", "eac3", "opus"}) {
    if (codec == kept) return "copy";
  }
  return "aac";
}

// ffmpeg's filter that plays sound `speed` times as fast, its pitch kept: atempo takes 0.5 to
// 100 at a time, so further speeds are chained.
std::string TempoFilter(double speed) {
  std::string filter;
  for (; speed < 0.5; speed /= 0.5) filter += "atempo=0.5,";
  for (; speed > 100.0; speed /= 100.0) filter += "atempo=100,";
  char last[48];
  std::snprintf(last, sizeof last, "atempo=%.9f", speed);
  return filter + last;
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  return text;
}

}  // namespace

bool ThinsGifFrames(const FrameRate& fps) {
  return int64_t{fps.num} * kGifMostRate.den > int64_t{kGifMostRate.num} * fps.den;
}

bool SendsAlpha(const VideoJob& job) { return job.framesHaveAlpha && !PremultipliesToRgb(job); }


VideoFormat VideoFormatOf(const std::string& path) {
  std::string extension = LowercaseExtension(path);
  if (extension == "mp4") return VideoFormat::kMp4;
  if (extension == "webm") return VideoFormat::kWebm;
  if (extension == "gif") return VideoFormat::kGif;
  throw UsageError("--video takes a .mp4, .webm or .gif file, not '" + path + "'");
}

FfmpegCheck::FfmpegCheck() {
  try {
    ffmpeg_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"ffmpeg", "-hide_banner", "-loglevel", "quiet", "-version"},
        ChildProcess::Pipe::kFromOutput, ChildProcess::Errors::kHidden);
  } catch (const CliError&) {
  }
}

FfmpegCheck::~FfmpegCheck() = default;

void FfmpegCheck::Finish() {
  int status = -1;
  if (ffmpeg_) {
    char buffer[4096];
    while (ffmpeg_->Read(buffer, sizeof buffer) > 0) {
    }
    status = ffmpeg_->Wait();
    ffmpeg_.reset();
  }
  if (status != 0) {
    throw CliError(
        "--video needs ffmpeg, which cannot be run here; install it (Debian: apt-get install "
        "ffmpeg) or leave out --video");
  }
}

std::vector<std::string> FfmpegArguments(const VideoJob& job, const std::string& outputPath) {
  // Raw frames on standard input, exactly as rendered: no image files in between.
  const bool yuv = SendsYuv(job);
  // The even sides a YUV frame is sent with.
  const int32_t width = yuv ? job.width + (job.width & 1) : job.width;
  const int32_t height = yuv ? job.height + (job.height & 1) : job.height;
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                                   "-y", "-f", "rawvideo",
                                   "-pix_fmt", yuv ? "yuv420p" : SendsAlpha(job) ? "rgba" : "rgb24",
                                   "-video_size", std::to_string(width) + "x" +
                                                      std::to_string(height),
                                   "-framerate", FrameRateText(job.fps)};
  const VideoFormat format = VideoFormatOf(job.videoPath);
  const SourceSound& source = job.sound;
  const bool sound = !source.path.empty() && format != VideoFormat::kGif;
  // Frames played faster or slower than in their file take their sound with them.
  const double speed = source.speed > 0.0 ? source.speed : 1.0;
  const bool retimed = sound && std::abs(speed - 1.0) > 1e-9;
  const double videoDelay = source.videoDelay / speed;
  const bool delayed = sound && videoDelay > 0.0;
  if (delayed) {
    // A video that starts after its sound (a camera's late first frame) stays in step with it.
    args.insert(args.end(), {"-itsoffset", SecondsText(videoDelay)});
  }
  args.insert(args.end(), {"-i", "pipe:0"});
  if (sound) {
    // The source's sound, as long as the frames go.
    args.insert(args.end(), {"-i", FfmpegFileName(source.path), "-map", "0:v:0", "-map",
                             "1:a:0", "-c:a", AudioCodecFor(format, retimed ? "" : source.codec)});
    if (retimed) args.insert(args.end(), {"-filter:a", TempoFilter(speed)});
    if (job.frames > 0) {
      const double seconds = static_cast<double>(job.frames) * job.fps.den / job.fps.num;
      args.insert(args.end(), {"-t", SecondsText(videoDelay + seconds)});
    } else {
      args.push_back("-shortest");
    }
  }
  // Frames are passed on at their times: a late start is not filled with copies of the first.
  if (delayed) args.insert(args.end(), {"-vsync", "passthrough"});
  // The encoder counts in the frames' own rate (left to itself, ffmpeg makes 119.88 fps 120).
  if (format != VideoFormat::kGif) {
    args.insert(args.end(), {"-enc_time_base:v", FrameRateText(FrameRate(job.fps.den, job.fps.num))});
  }
  // A GIF's delays are whole hundredths, and players take a delay under 2/100 s for 1/10 s: a
  // faster GIF keeps its length with frames left out, 50 a second.
  const std::string gifRate = ThinsGifFrames(job.fps) ? "fps=" + FrameRateText(kGifMostRate) + "," : "";
  switch (format) {
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
                       ? "[0:v]" + gifRate + "split[a][b];[a]palettegen=reserve_transparent=1:"
                         "stats_mode=full[p];[b][p]paletteuse=alpha_threshold=128"
                       : "[0:v]" + gifRate + "split[a][b];[a]palettegen=reserve_transparent=0:"
                         "stats_mode=full[p];[b][p]paletteuse",
                   "-loop", "0", "-f", "gif"});
      break;
    case VideoFormat::kMp4:
      // The frames arrive weighted by their alpha already (AddFrame): the fire over black.
      if (!yuv) args.insert(args.end(), {"-vf", std::string(kEvenSides) + ",format=yuv420p"});
      args.insert(args.end(), {"-c:v", "libx264", "-crf", "18", "-movflags", "+faststart",
                               "-f", "mp4"});
      break;
  }
  args.push_back(outputPath);
  return args;
}

VideoEncoder::VideoEncoder(const VideoJob& job)
    : job_(job),
      temporary_(TemporaryNameFor(job.videoPath)),
      frameBytes_(static_cast<size_t>(job.width) * job.height * (SendsAlpha(job) ? 4 : 3)) {
  watch_ = WatchTemporaryFile(temporary_);
  try {
    ffmpeg_ = std::make_unique<ChildProcess>(FfmpegArguments(job, FfmpegFileName(temporary_)),
                                             ChildProcess::Pipe::kToInput,
                                             ChildProcess::Errors::kKept);
#if defined(FYREL_HAVE_LIBAV)
    // The conversion is made (and tried against swscale) while ffmpeg starts.
    if (SendsYuv(job)) {
      yuv_ = MakeYuvFrames(job.width, job.height, job.framesHaveAlpha ? 4 : 3);
      const size_t most = std::max<size_t>(2, kFeedBudget / yuv_->PlanesSize());
      feed_ = std::make_unique<FrameFeed>(ffmpeg_.get(), most);
    }
#endif
  } catch (...) {
    if (ffmpeg_) EndFfmpeg();
    ffmpeg_.reset();
    RemoveFileQuietly(temporary_);
    ForgetTemporaryFile(watch_);
    throw;
  }
}

VideoEncoder::~VideoEncoder() {
  if (!ffmpeg_) return;
  EndFfmpeg();
  RemoveFileQuietly(temporary_);
  ForgetTemporaryFile(watch_);
}

void VideoEncoder::AddFrame(const uint8_t* samples) {
#if defined(FYREL_HAVE_LIBAV)
  if (yuv_) {
    std::vector<uint8_t> planes = feed_->TakeBuffer();
    yuv_->ConvertInto(samples, &planes);
    if (!feed_->Put(std::move(planes))) Fail("ffmpeg stopped reading frames");
    return;
  }
#endif
  if (PremultipliesToRgb(job_)) {
    // Weighting by alpha here is cheaper than ffmpeg's filter, and a quarter less to send;
    // a block at a time, so that a large frame needs no second frame of memory.
    constexpr size_t kBlock = 16384;
    premultiplied_.resize(kBlock * 3);
    const size_t pixels = static_cast<size_t>(job_.width) * job_.height;
    for (size_t done = 0; done < pixels; done += kBlock) {
      const size_t count = std::min(kBlock, pixels - done);
      RgbOverBlack(samples + done * 4, static_cast<int32_t>(count), premultiplied_.data());
      if (!ffmpeg_->Write(premultiplied_.data(), count * 3)) Fail("ffmpeg stopped reading frames");
    }
    return;
  }
  if (!ffmpeg_->Write(samples, frameBytes_)) Fail("ffmpeg stopped reading frames");
}

void VideoEncoder::Finish() {
#if defined(FYREL_HAVE_LIBAV)
  if (feed_ && !feed_->Finish()) Fail("ffmpeg stopped reading frames");
  feed_.reset();
#endif
  const int status = ffmpeg_->Wait();
  // ffmpeg ends with status 0 when its output's last writes fail (a full disk while writing
  // the index): at its log level, any line it wrote is an error.
  if (status != 0) Fail("exit status " + std::to_string(status));
  if (!ffmpeg_->LastErrorLine().empty()) Fail("");
  ffmpeg_.reset();
  std::string error;
  const bool renamed = RenameOver(temporary_, job_.videoPath, &error);
  if (!renamed) RemoveFileQuietly(temporary_);
  ForgetTemporaryFile(watch_);
  if (!renamed) throw CliError("cannot write " + job_.videoPath + ": " + error);
}

void VideoEncoder::EndFfmpeg() {
  feed_.reset();  // its thread first, which may be writing to ffmpeg
  ffmpeg_->Kill();
}

void VideoEncoder::Fail(const std::string& why) {
  EndFfmpeg();
  // ffmpeg's own reason, when it gave one: "No space left on device", the file by its name.
  std::string said = ffmpeg_->LastErrorLine();
  const std::string inside = FfmpegFileName(temporary_);
  for (size_t at; (at = said.find(inside)) != std::string::npos;) {
    said.replace(at, inside.size(), job_.videoPath);
  }
  ffmpeg_.reset();
  RemoveFileQuietly(temporary_);
  ForgetTemporaryFile(watch_);
  const std::string both = why.empty() ? said : said.empty() ? why : why + ": " + said;
  throw CliError("ffmpeg could not encode " + job_.videoPath + " (" + both + ")");
}
