#include "cli/media/yuv_frames.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

#include "cli/media/row_bands.h"
#include "cli/media/video_encoder.h"
#include "cli/platform/cli_error.h"

namespace {

// A frame buffer of ours for swscale, which writes and reads through AVFrames.
void PointAt(AVFrame* frame, int format, int32_t width, int32_t height, uint8_t* planes[3],
             const int strides[3], size_t bytes) {
  av_frame_unref(frame);
  frame->format = format;
  frame->width = width;
  frame->height = height;
  for (int i = 0; i < 3; ++i) {
    frame->data[i] = planes[i];
    frame->linesize[i] = strides[i];
  }
  frame->buf[0] = av_buffer_create(planes[0], bytes, [](void*, uint8_t*) {}, nullptr, 0);
  if (!frame->buf[0]) throw CliError("out of memory");
}

}  // namespace

struct YuvFrames::Scaler {
  SwsContext* context = nullptr;
  AVFrame* from = av_frame_alloc();
  AVFrame* to = av_frame_alloc();
  ~Scaler() {
    av_frame_free(&from);
    av_frame_free(&to);
    sws_freeContext(context);
  }
};

YuvFrames::YuvFrames(int32_t width, int32_t height, int channels)
    : width_(width),
      height_(height),
      channels_(channels),
      evenWidth_(width + (width & 1)),
      evenHeight_(height + (height & 1)),
      rgb_(static_cast<size_t>(evenWidth_) * evenHeight_ * 3, 0),
      yuv_(static_cast<size_t>(evenWidth_) * evenHeight_ * 3 / 2),
      scaler_(new Scaler) {
  // As ffmpeg's own format conversion does it (bicubic, BT.601 in studio range), on threads.
  SwsContext* context = scaler_->context = sws_alloc_context();
  if (!context || !scaler_->from || !scaler_->to) throw CliError("out of memory");
  av_opt_set_int(context, "srcw", evenWidth_, 0);
  av_opt_set_int(context, "srch", evenHeight_, 0);
  av_opt_set_int(context, "src_format", AV_PIX_FMT_RGB24, 0);
  av_opt_set_int(context, "dstw", evenWidth_, 0);
  av_opt_set_int(context, "dsth", evenHeight_, 0);
  av_opt_set_int(context, "dst_format", AV_PIX_FMT_YUV420P, 0);
  av_opt_set_int(context, "sws_flags", SWS_BICUBIC, 0);
  av_opt_set_int(context, "threads", 0, 0);
  if (sws_init_context(context, nullptr, nullptr) < 0) {
    throw CliError("ffmpeg's libraries cannot convert frames to YUV");
  }
}

YuvFrames::~YuvFrames() = default;

const std::vector<uint8_t>& YuvFrames::Convert(const uint8_t* samples) {
  const size_t rowBytes = static_cast<size_t>(evenWidth_) * 3;
  InRowBands(height_, [&](int32_t first, int32_t end) {
    for (int32_t y = first; y < end; ++y) {
      const uint8_t* from = samples + static_cast<size_t>(y) * width_ * channels_;
      uint8_t* to = &rgb_[y * rowBytes];
      if (channels_ == 4) {
        PremultiplyToRgb(from, static_cast<size_t>(width_), to);
      } else {
        std::memcpy(to, from, static_cast<size_t>(width_) * 3);
      }
    }
  });
  uint8_t* rgbPlanes[3] = {rgb_.data(), nullptr, nullptr};
  const int rgbStrides[3] = {static_cast<int>(rowBytes), 0, 0};
  const size_t lumaBytes = static_cast<size_t>(evenWidth_) * evenHeight_;
  uint8_t* yuvPlanes[3] = {yuv_.data(), yuv_.data() + lumaBytes, yuv_.data() + lumaBytes * 5 / 4};
  const int yuvStrides[3] = {evenWidth_, evenWidth_ / 2, evenWidth_ / 2};
  PointAt(scaler_->from, AV_PIX_FMT_RGB24, evenWidth_, evenHeight_, rgbPlanes, rgbStrides,
          rgb_.size());
  PointAt(scaler_->to, AV_PIX_FMT_YUV420P, evenWidth_, evenHeight_, yuvPlanes, yuvStrides,
          yuv_.size());
  const int code = sws_scale_frame(scaler_->context, scaler_->to, scaler_->from);
  av_frame_unref(scaler_->from);
  av_frame_unref(scaler_->to);
  if (code < 0) throw CliError("ffmpeg's libraries could not convert a frame to YUV");
  return yuv_;
}
