#include "web/web_fire.h"

#include <stdexcept>

#include "host/effect_main.h"

namespace {

// RGBA (straight alpha) to the host's pixels (alpha, red, green, blue), in place.
const PF_Pixel* HostPixelsInPlace(std::vector<uint8_t>* rgba) {
  uint8_t* p = rgba->data();
  for (size_t i = 0; i < rgba->size(); i += 4) {
    const uint8_t alpha = p[i + 3];
    p[i + 3] = p[i + 2];
    p[i + 2] = p[i + 1];
    p[i + 1] = p[i];
    p[i] = alpha;
  }
  return reinterpret_cast<const PF_Pixel*>(p);
}

// The output world's rows to RGBA rows of the frame's width.
void OutputToRgba(const EffectHost& host, std::vector<uint8_t>* rgba) {
  const int32_t width = host.FrameWidth(), height = host.FrameHeight();
  const int32_t stride = host.OutputStride();
  rgba->resize(static_cast<size_t>(width) * height * 4);
  uint8_t* out = rgba->data();
  for (int32_t y = 0; y < height; ++y) {
    const PF_Pixel* row = &host.Output()[static_cast<size_t>(y) * stride];
    for (int32_t x = 0; x < width; ++x) {
      *out++ = row[x].red;
      *out++ = row[x].green;
      *out++ = row[x].blue;
      *out++ = row[x].alpha;
    }
  }
}

}  // namespace

WebFire::WebFire() : host_(&EffectMain) {
  const PF_Err err = host_.Start();
  if (err != PF_Err_NONE) {
    throw std::runtime_error("the effect refused to start (host error " + std::to_string(err) +
                             ")");
  }
}

bool WebFire::SetValue(const std::string& name, int32_t value) {
  return host_.SetValue(name, value);
}

bool WebFire::SetColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue) {
  return host_.SetColor(name, red, green, blue);
}

uint8_t* WebFire::SourceBuffer(int32_t width, int32_t height) {
  sourceWidth_ = width;
  sourceHeight_ = height;
  source_.resize(static_cast<size_t>(width) * height * 4);
  return source_.data();
}

void WebFire::SetSource() {
  host_.SetInput(HostPixelsInPlace(&source_), sourceWidth_, sourceHeight_);
  if (sourceWidth_ != host_.FrameWidth() || sourceHeight_ != host_.FrameHeight()) {
    host_.SetFrame(sourceWidth_, sourceHeight_);
  }
}

PF_Err WebFire::Restart() {
  flame_ = FlameState{};
  const PF_Err err = host_.SequenceSetdown();
  return err != PF_Err_NONE ? err : host_.SequenceSetup();
}

PF_Err WebFire::Render(int32_t frame) {
  RestoreFlameState(flame_);
  PF_Err err = host_.FrameSetup();
  if (err == PF_Err_NONE) err = host_.Render(frame);
  flame_ = SaveFlameState();
  if (err == PF_Err_NONE) OutputToRgba(host_, &output_);
  return err;
}
