// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstring>
#include <mutex>

#include "cli/media/orientation.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "cli/platform/interrupt_cleanup.h"
#include "pictures/rgba_image.h"

namespace {

// The libraries' own word on what went wrong: the last error they logged, preferring one from
// one of their parts ("[mov,mp4,... @ 0x...] moov atom not found", told without the tag).
std::mutex logMutex;
std::string lastLine, lastPartLine;

void KeepErrorLine(void* part, int level, const char* format, va_list args) {
  if (level > AV_LOG_ERROR) return;
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  std::string line(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.empty()) return;
  std::lock_guard<std::mutex> lock(logMutex);
  lastLine = line;
  if (part) lastPartLine = line;
}

std::string TakeErrorLine(int code) {
  std::lock_guard<std::mutex> lock(logMutex);
  std::string said = !lastPartLine.empty() ? lastPartLine : lastLine;
  lastLine.clear();
  lastPartLine.clear();
  if (said.empty() && code < 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    said = text;
  }
  return said;
}

void StartLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    av_log_set_callback(KeepErrorLine);
    av_log_set_level(AV_LOG_ERROR);
  });
}

FrameRate RateOrNone(AVRational rational, bool* has) {
  FrameRate rate;
  *has = ReducedRate(rational.num, rational.den, &rate);
  return rate;
}

double Seconds(int64_t when, AVRational base) {
  return when == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(when) * av_q2d(base);
}

}  // namespace

namespace {

class LibavDecoder final : public VideoDecoder {
 public:
  explicit LibavDecoder(const std::string& path);
  ~LibavDecoder() override;
  LibavDecoder(const LibavDecoder&) = delete;
  LibavDecoder& operator=(const LibavDecoder&) = delete;

  const VideoStreamInfo& Info() const override { return info_; }
  const SourceSound& Sound() const override { return sound_; }
  bool Next(std::vector<uint8_t>* rgba) override;
  std::vector<std::string> TakeNotes() override;

 private:
  struct Libraries;
  bool Decode();
  void Convert(std::vector<uint8_t>* rgba);
  [[noreturn]] void Fail(const std::string& what, int code) const;

  std::string path_;
  VideoStreamInfo info_;
  SourceSound sound_;
  std::unique_ptr<Libraries> av_;
  std::vector<std::string> notes_;
  std::vector<uint8_t> stored_;  // a turned frame as it is stored
  bool haveFrame_ = false;       // the first frame waits, decoded, for the first Next
  int32_t given_ = 0;
};

}  // namespace

struct LibavDecoder::Libraries {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwsContext* scaler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  AVFrame* converted = nullptr;
  int scalerFormat = -1;
  int scalerWidth = 0;
  int scalerHeight = 0;
  int stream = -1;
  bool draining = false;
  ~Libraries() {
    sws_freeContext(scaler);
    av_frame_free(&converted);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }
};

namespace {

AVFormatContext* OpenContainer(const std::string& path, int* code) {
  AVFormatContext* format = nullptr;
  AVDictionary* options = nullptr;
  // The image reader takes a '%' in the name for a number unless told otherwise.
  av_dict_set(&options, "pattern_type", "none", 0);
  *code = avformat_open_input(&format, FfmpegFileName(path).c_str(), nullptr, &options);
  av_dict_free(&options);
  return *code < 0 ? nullptr : format;
}

// The frames a player shows of `stream`: the entries of an MP4's index that its edit list
// keeps, else the packets the demuxer does not mark to be dropped, read without decoding.
int64_t CountFrames(const std::string& path, AVFormatContext* open, int stream) {
  if (std::strcmp(open->iformat->name, "mov,mp4,m4a,3gp,3g2,mj2") == 0) {
    const AVStream* st = open->streams[stream];
    const int entries = avformat_index_get_entries_count(st);
    int64_t shown = 0;
    for (int i = 0; i < entries; ++i) {
      if (!(avformat_index_get_entry(const_cast<AVStream*>(st), i)->flags & AVINDEX_DISCARD_FRAME)) {
        ++shown;
      }
    }
    if (shown > 0) return shown;
  }
  int code = 0;
  AVFormatContext* format = OpenContainer(path, &code);
  if (!format) return 0;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    format->streams[i]->discard = static_cast<int>(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  int64_t packets = 0;
  AVPacket* packet = av_packet_alloc();
  while (packet && av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == stream && !(packet->flags & AV_PKT_FLAG_DISCARD)) ++packets;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avformat_close_input(&format);
  return packets;
}

}  // namespace

LibavDecoder::LibavDecoder(const std::string& path) : path_(path), av_(new Libraries) {
  StartLibraries();
  TakeErrorLine(0);
  int code = 0;
  av_->format = OpenContainer(path, &code);
  if (!av_->format) Fail("not a video or image that ffmpeg can read", code);
  AVFormatContext* format = av_->format;
  code = avformat_find_stream_info(format, nullptr);
  if (code < 0) Fail("not a video or image that ffmpeg can read", code);
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVCodecParameters* par = format->streams[i]->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && av_->stream < 0) av_->stream = static_cast<int>(i);
    if (par->codec_type == AVMEDIA_TYPE_AUDIO && sound_.codec.empty()) {
      sound_.codec = avcodec_get_name(par->codec_id);
    }
  }
  if (av_->stream < 0) throw CliError(path + ": no video stream");
  AVStream* stream = format->streams[av_->stream];
  const AVCodecParameters* par = stream->codecpar;
  info_.format = format->iformat->name;
  info_.codec = avcodec_get_name(par->codec_id);
  info_.width = par->width;
  info_.height = par->height;
  const AVDictionaryEntry* alpha = av_dict_get(stream->metadata, "alpha_mode", nullptr, 0);
  info_.alpha = alpha && std::strcmp(alpha->value, "1") == 0 &&
                (par->codec_id == AV_CODEC_ID_VP9 || par->codec_id == AV_CODEC_ID_VP8);
  bool hasReal = false, hasAverage = false;
  const FrameRate real = RateOrNone(stream->r_frame_rate, &hasReal);
  const FrameRate average = RateOrNone(stream->avg_frame_rate, &hasAverage);
  ChooseStreamRate(hasReal ? &real : nullptr, hasAverage ? &average : nullptr, &info_.rate);

  // The sound, and where the picture starts against it: ffmpeg starts each file it reads at
  // its first moment, so the frames are put where the video's first one was.
  if (!sound_.codec.empty()) sound_.path = path;
  const double fileStart =
      format->start_time == AV_NOPTS_VALUE ? 0.0 : format->start_time / double{AV_TIME_BASE};
  const double videoStart = Seconds(stream->start_time, stream->time_base);
  if (videoStart > fileStart) sound_.videoDelay = std::min(videoStart - fileStart, 86400.0);

  // libavcodec's own VP8 and VP9 decoders drop the alpha plane; libvpx's keep it.
  const AVCodec* decoder =
      info_.alpha ? avcodec_find_decoder_by_name(par->codec_id == AV_CODEC_ID_VP9 ? "libvpx-vp9"
                                                                                  : "libvpx")
                  : avcodec_find_decoder(par->codec_id);
  if (!decoder) throw CliError(path + ": ffmpeg has no decoder for its " + info_.codec + " video");
  av_->codec = avcodec_alloc_context3(decoder);
  av_->packet = av_packet_alloc();
  av_->frame = av_frame_alloc();
  av_->converted = av_frame_alloc();
  if (!av_->codec || !av_->packet || !av_->frame || !av_->converted) throw CliError("out of memory");
  avcodec_parameters_to_context(av_->codec, par);
  av_->codec->pkt_timebase = stream->time_base;
  av_->codec->thread_count = 0;  // one per core
  {
    const EndingSignalsBlocked blocked;  // for the decoder's threads
    code = avcodec_open2(av_->codec, decoder, nullptr);
  }
  if (code < 0) Fail("ffmpeg could not open its video decoder", code);
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (static_cast<int>(i) != av_->stream) format->streams[i]->discard = AVDISCARD_ALL;
  }

  const int64_t frames = CountFrames(path, format, av_->stream);
  info_.frames = static_cast<int32_t>(std::min<int64_t>(frames, INT32_MAX));
  info_.still = IsStill(info_.format, info_.frames);
  if (!Decode()) Fail("ffmpeg could not decode its first frame", 0);
  haveFrame_ = true;
  if (info_.frames <= 0) throw CliError(path + ": its video stream has no frames ffmpeg can read");

  // The display matrix: the stream's, or a photo's own (a JPEG's EXIF orientation, which
  // comes with the frame).
  const int32_t* matrix = reinterpret_cast<const int32_t*>(
      av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
  const AVFrameSideData* frameMatrix = av_frame_get_side_data(av_->frame, AV_FRAME_DATA_DISPLAYMATRIX);
  if (!matrix && info_.still && frameMatrix) matrix = reinterpret_cast<const int32_t*>(frameMatrix->data);
  if (matrix) {
    int64_t entries[9];
    for (int i = 0; i < 9; ++i) entries[i] = matrix[i];
    if (!OrientationFromMatrix(entries, &info_.orientation)) {
      throw CliError(path + ": its display matrix turns the picture by " +
                     std::to_string(std::lround(av_display_rotation_get(matrix))) +
                     " degrees or scales it; only quarter turns and flips are read");
    }
  }
  info_.width = av_->frame->width;
  info_.height = av_->frame->height;
  if (info_.orientation.SwapsSides()) std::swap(info_.width, info_.height);
  if (info_.width > kMaxImageSide || info_.height > kMaxImageSide) {
    throw CliError(path + ": the video is " + std::to_string(info_.width) + "x" +
                   std::to_string(info_.height) + ", larger than " +
                   std::to_string(kMaxImageSide) + " pixels on a side");
  }
}

LibavDecoder::~LibavDecoder() = default;

void LibavDecoder::Fail(const std::string& what, int code) const {
  const std::string said = TakeErrorLine(code);
  throw CliError(path_ + ": " + what + (said.empty() ? "" : " (" + said + ")"));
}

// The next decoded frame into av_->frame; false at the end of what decodes. As ffmpeg does, a
// packet or a frame that does not decode is passed over with a note, and decoding goes on.
bool LibavDecoder::Decode() {
  Libraries& av = *av_;
  int failuresInARow = 0;
  while (true) {
    int code = avcodec_receive_frame(av.codec, av.frame);
    if (code >= 0) return true;
    if (code == AVERROR_EOF) return false;
    if (code != AVERROR(EAGAIN)) {
      notes_.push_back(path_ + ": a frame after frame " + std::to_string(given_) +
                       " does not decode (" + TakeErrorLine(code) + "); it is passed over");
      // A decoder that has nothing but failures left has come to the end of what it can give.
      if (++failuresInARow > 64) return false;
      continue;
    }
    if (av.draining) return false;
    code = av_read_frame(av.format, av.packet);
    if (code < 0) {
      // The end of the file (or of what can be read of it): what the decoder holds comes out.
      av.draining = true;
      avcodec_send_packet(av.codec, nullptr);
      continue;
    }
    if (av.packet->stream_index == av.stream) {
      code = avcodec_send_packet(av.codec, av.packet);
      if (code < 0 && code != AVERROR(EAGAIN)) {
        notes_.push_back(path_ + ": a packet after frame " + std::to_string(given_) +
                         " does not decode (" + TakeErrorLine(code) + "); it is passed over");
      }
    }
    av_packet_unref(av.packet);
  }
}

bool LibavDecoder::Next(std::vector<uint8_t>* rgba) {
  if (!haveFrame_ && (given_ >= info_.frames || !Decode())) return false;
  haveFrame_ = false;
  Convert(rgba);
  av_frame_unref(av_->frame);
  ++given_;
  return true;
}

std::vector<std::string> LibavDecoder::TakeNotes() {
  std::vector<std::string> notes;
  notes.swap(notes_);
  return notes;
}

void LibavDecoder::Convert(std::vector<uint8_t>* rgba) {
  Libraries& av = *av_;
  const AVFrame* frame = av.frame;
  const Orientation& orientation = info_.orientation;
  const int storedWidth = orientation.SwapsSides() ? info_.height : info_.width;
  const int storedHeight = orientation.SwapsSides() ? info_.width : info_.height;
  if (av.scaler && (frame->format != av.scalerFormat || frame->width != av.scalerWidth ||
                    frame->height != av.scalerHeight)) {
    // A stream whose picture changes its pixel format or its size on the way (streams joined
    // end to end, a broadcast capture): a new conversion.
    sws_freeContext(av.scaler);
    av.scaler = nullptr;
    if ((frame->width != av.scalerWidth || frame->height != av.scalerHeight) &&
        (frame->width != storedWidth || frame->height != storedHeight)) {
      const auto size = [](int w, int h) { return std::to_string(w) + "x" + std::to_string(h); };
      notes_.push_back(path_ + ": frame " + std::to_string(given_ + 1) + " is " +
                       size(frame->width, frame->height) + "; it is scaled to " +
                       size(storedWidth, storedHeight) +
                       ", the first frame's size, as are the frames of its size after it");
    }
  }
  if (!av.scaler) {
    av.scalerFormat = frame->format;
    av.scalerWidth = frame->width;
    av.scalerHeight = frame->height;
    // As ffmpeg converts for its own raw output: bicubic, the frame's own matrix and range,
    // its rows shared out among threads.
    av.scaler = sws_alloc_context();
    if (!av.scaler) throw CliError("out of memory");
    av_opt_set_int(av.scaler, "srcw", frame->width, 0);
    av_opt_set_int(av.scaler, "srch", frame->height, 0);
    av_opt_set_int(av.scaler, "src_format", frame->format, 0);
    av_opt_set_int(av.scaler, "dstw", storedWidth, 0);
    av_opt_set_int(av.scaler, "dsth", storedHeight, 0);
    av_opt_set_int(av.scaler, "dst_format", AV_PIX_FMT_RGBA, 0);
    av_opt_set_int(av.scaler, "sws_flags", SWS_BICUBIC, 0);
    av_opt_set_int(av.scaler, "threads", 0, 0);
    int code = 0;
    {
      const EndingSignalsBlocked blocked;  // for the converter's threads
      code = sws_init_context(av.scaler, nullptr, nullptr);
    }
    if (code < 0) Fail("ffmpeg cannot convert its frames to RGBA", code);
    int* inverse = nullptr;
    int* table = nullptr;
    int sourceFull = 0, shownFull = 0, brightness = 0, contrast = 0, saturation = 0;
    sws_getColorspaceDetails(av.scaler, &inverse, &sourceFull, &table, &shownFull, &brightness,
                             &contrast, &saturation);
    const int* coefficients = sws_getCoefficients(frame->colorspace);
    if (frame->color_range != AVCOL_RANGE_UNSPECIFIED) {
      sourceFull = frame->color_range == AVCOL_RANGE_JPEG;
    }
    sws_setColorspaceDetails(av.scaler, coefficients, sourceFull, coefficients, shownFull,
                             brightness, contrast, saturation);
  }
  const size_t bytes = static_cast<size_t>(info_.width) * info_.height * 4;
  std::vector<uint8_t>& into = orientation.Upright() ? *rgba : stored_;
  // swscale writes whole vectors: rows of a multiple of 64 bytes are written where they go,
  // with room past the last one; other rows go through a frame of its own, padded.
  const int rowBytes = storedWidth * 4;
  const bool direct = rowBytes % 64 == 0;
  AVFrame* out = av.converted;
  if (direct) {
    into.resize(bytes + 64);
    av_frame_unref(out);
    out->format = AV_PIX_FMT_RGBA;
    out->width = storedWidth;
    out->height = storedHeight;
    out->data[0] = into.data();
    out->linesize[0] = rowBytes;
    out->buf[0] = av_buffer_create(into.data(), into.size(), [](void*, uint8_t*) {}, nullptr, 0);
    if (!out->buf[0]) throw CliError("out of memory");
  } else if (!out->buf[0]) {
    out->format = AV_PIX_FMT_RGBA;
    out->width = storedWidth;
    out->height = storedHeight;
    if (av_frame_get_buffer(out, 0) < 0) throw CliError("out of memory");
  }
  const int code = sws_scale_frame(av.scaler, out, frame);
  if (direct) av_frame_unref(out);
  if (code < 0) Fail("ffmpeg could not convert frame " + std::to_string(given_ + 1), code);
  into.resize(bytes);
  if (!direct) {
    for (int y = 0; y < storedHeight; ++y) {
      std::memcpy(&into[static_cast<size_t>(y) * rowBytes],
                  out->data[0] + static_cast<ptrdiff_t>(y) * out->linesize[0], rowBytes);
    }
  }
  rgba->resize(bytes);
  if (!orientation.Upright()) {
    OrientFrame(stored_.data(), storedWidth, storedHeight, orientation, rgba->data());
  }
}

std::unique_ptr<VideoDecoder> OpenLibavDecoder(const std::string& path) {
  return std::make_unique<LibavDecoder>(path);
}
