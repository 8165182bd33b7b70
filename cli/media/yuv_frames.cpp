// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/yuv_frames.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

#include "cli/media/row_bands.h"
#include "cli/media/yuv_conversion.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/interrupt_cleanup.h"
#include "effect/fire_over.h"

namespace {

// swscale reads and writes whole vectors: a little past a row's end, and so past a buffer's.
constexpr size_t kPadding = 64;

class SwscaleYuvFrames final : public YuvFrames {
 public:
  SwscaleYuvFrames(int32_t width, int32_t height, int channels);
  SwscaleYuvFrames(const SwscaleYuvFrames&) = delete;
  SwscaleYuvFrames& operator=(const SwscaleYuvFrames&) = delete;

  int32_t EvenWidth() const override { return evenWidth_; }
  int32_t EvenHeight() const override { return evenHeight_; }
  void ConvertInto(const uint8_t* samples, std::vector<uint8_t>* planes) override;

 private:
  struct Scaler;
  int32_t width_, height_, channels_, evenWidth_, evenHeight_;
  std::vector<uint8_t> rgb_;  // the frame (RGBA weighted by alpha, or RGB), with its even sides
  std::unique_ptr<Scaler> scaler_;
};

}  // namespace

struct SwscaleYuvFrames::Scaler {
  SwsContext* context = nullptr;
  AVFrame* from = av_frame_alloc();  // pointing into rgb_
  AVFrame* to = av_frame_alloc();    // its own planes, rows aligned and padded
  ~Scaler() {
    av_frame_free(&from);
    av_frame_free(&to);
    sws_freeContext(context);
  }
};

SwscaleYuvFrames::SwscaleYuvFrames(int32_t width, int32_t height, int channels)
    : width_(width),
      height_(height),
      channels_(channels),
      evenWidth_(width + (width & 1)),
      evenHeight_(height + (height & 1)),
      rgb_(static_cast<size_t>(evenWidth_) * evenHeight_ * channels + kPadding, 0),
      scaler_(new Scaler) {
  // As ffmpeg's own format conversion does it (bicubic, BT.601 in studio range), on threads.
  SwsContext* context = scaler_->context = sws_alloc_context();
  if (!context || !scaler_->from || !scaler_->to) throw CliError("out of memory");
  av_opt_set_int(context, "srcw", evenWidth_, 0);
  av_opt_set_int(context, "srch", evenHeight_, 0);
  const AVPixelFormat format = channels == 4 ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
  av_opt_set_int(context, "src_format", format, 0);
  av_opt_set_int(context, "dstw", evenWidth_, 0);
  av_opt_set_int(context, "dsth", evenHeight_, 0);
  av_opt_set_int(context, "dst_format", AV_PIX_FMT_YUV420P, 0);
  av_opt_set_int(context, "sws_flags", SWS_BICUBIC, 0);
  av_opt_set_int(context, "threads", 0, 0);
  int code = 0;
  {
    const EndingSignalsBlocked blocked;  // for the converter's threads
    code = sws_init_context(context, nullptr, nullptr);
  }
  if (code < 0) {
    throw CliError("ffmpeg's libraries cannot convert frames to YUV");
  }
  AVFrame* to = scaler_->to;
  to->format = AV_PIX_FMT_YUV420P;
  to->width = evenWidth_;
  to->height = evenHeight_;
  AVFrame* from = scaler_->from;
  from->format = format;
  from->width = evenWidth_;
  from->height = evenHeight_;
  from->data[0] = rgb_.data();
  from->linesize[0] = evenWidth_ * channels;
  from->buf[0] = av_buffer_create(rgb_.data(), rgb_.size(), [](void*, uint8_t*) {}, nullptr, 0);
  if (av_frame_get_buffer(to, 0) < 0 || !from->buf[0]) throw CliError("out of memory");
}

void SwscaleYuvFrames::ConvertInto(const uint8_t* samples, std::vector<uint8_t>* planes) {
  const size_t rowBytes = static_cast<size_t>(evenWidth_) * channels_;
  InRowBands(height_, [&](int32_t first, int32_t end) {
    for (int32_t y = first; y < end; ++y) {
      const uint8_t* from = samples + static_cast<size_t>(y) * width_ * channels_;
      uint8_t* to = &rgb_[y * rowBytes];
      if (channels_ == 4) {
        // Weighted by alpha and kept RGBA: swscale passes the fourth byte over and gives the
        // bytes it gives for packed RGB, in fewer steps.
        RgbaOverBlack(from, width_, to);
      } else {
        std::memcpy(to, from, static_cast<size_t>(width_) * 3);
      }
    }
  });
  if (sws_scale_frame(scaler_->context, scaler_->to, scaler_->from) < 0) {
    throw CliError("ffmpeg's libraries could not convert a frame to YUV");
  }
  // The planes one after another, each row as wide as its plane.
  planes->resize(PlanesSize());
  uint8_t* into = planes->data();
  for (int plane = 0; plane < 3; ++plane) {
    const int32_t rows = plane == 0 ? evenHeight_ : evenHeight_ / 2;
    const size_t planeRow = plane == 0 ? evenWidth_ : evenWidth_ / 2;
    const AVFrame* to = scaler_->to;
    for (int32_t y = 0; y < rows; ++y, into += planeRow) {
      std::memcpy(into, to->data[plane] + static_cast<ptrdiff_t>(y) * to->linesize[plane], planeRow);
    }
  }
}

namespace {

class OwnYuvFrames final : public YuvFrames {
 public:
  OwnYuvFrames(int32_t width, int32_t height, int channels)
      : conversion_(width, height, channels) {}

  int32_t EvenWidth() const override { return conversion_.EvenWidth(); }
  int32_t EvenHeight() const override { return conversion_.EvenHeight(); }
  void ConvertInto(const uint8_t* samples, std::vector<uint8_t>* planes) override {
    planes->resize(PlanesSize());
    InRowBands(conversion_.ChromaRows(), [&](int32_t first, int32_t end) {
      conversion_.ConvertRows(samples, first, end, planes->data());
    });
  }

 private:
  const YuvConversion conversion_;
};

// A frame that reaches every part of the conversion: noise in colour and alpha (0 and 255
// among them), and rows of the most saturated colours in turn, whose chroma the bicubic taps
// overshoot past both ends of the byte.
std::vector<uint8_t> ProbeFrame(int32_t width, int32_t height, int channels) {
  std::vector<uint8_t> frame(static_cast<size_t>(width) * height * channels);
  uint32_t state = 0x9E3779B9u;
  for (uint8_t& sample : frame) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    sample = static_cast<uint8_t>(state >> 24);
  }
  static const uint8_t kExtremes[6][4] = {{0, 0, 255, 255}, {255, 255, 0, 255}, {255, 0, 0, 255},
                                          {0, 255, 255, 255}, {255, 255, 255, 255}, {0, 0, 0, 0}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* pixel = &frame[(static_cast<size_t>(y) * width + x) * channels];
      if (x < width / 2) {
        std::memcpy(pixel, kExtremes[(y / 2 + x / 5) % 6], channels);
      } else if (channels == 4 && x % 7 == 0) {
        pixel[3] = x % 2 ? 255 : 0;
      }
    }
  }
  return frame;
}

}  // namespace

std::unique_ptr<YuvFrames> MakeSwscaleYuvFrames(int32_t width, int32_t height, int channels) {
  return std::make_unique<SwscaleYuvFrames>(width, height, channels);
}

std::unique_ptr<YuvFrames> MakeOwnYuvFrames(int32_t width, int32_t height, int channels) {
  return std::make_unique<OwnYuvFrames>(width, height, channels);
}

std::unique_ptr<YuvFrames> MakeCheckedYuvFrames(int32_t width, int32_t height, int channels,
                                                YuvFramesMaker own) {
  std::unique_ptr<YuvFrames> swscale = MakeSwscaleYuvFrames(width, height, channels);
  std::unique_ptr<YuvFrames> ours = own(width, height, channels);
  const std::vector<uint8_t> probe = ProbeFrame(width, height, channels);
  return ours->Convert(probe.data()) == swscale->Convert(probe.data()) ? std::move(ours)
                                                                       : std::move(swscale);
}
