// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/web_fire.h"

#include <stdexcept>

#include "minihost/rgba_pixels.h"

WebFire::WebFire() {
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
  const size_t pixels = static_cast<size_t>(sourceWidth_) * sourceHeight_;
  host_.SetInput(HostPixelsInPlace(source_.data(), pixels), sourceWidth_, sourceHeight_);
  if (sourceWidth_ != host_.FrameWidth() || sourceHeight_ != host_.FrameHeight()) {
    host_.SetFrame(sourceWidth_, sourceHeight_);
  }
}

PF_Err WebFire::Restart() {
  timeline_.Begin(host_);
  return NewSequence();
}

PF_Err WebFire::NewSequence() {
  const PF_Err err = host_.SequenceSetdown();
  instance_ = EffectInstance{};
  return err != PF_Err_NONE ? err : host_.SequenceSetup();
}

bool WebFire::ChangeValue(const std::string& name, int32_t value, int32_t frame) {
  if (!host_.SetValue(name, value)) return false;
  timeline_.Change(host_, host_.FindParam(name), frame);
  return true;
}

bool WebFire::ChangeColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue,
                          int32_t frame) {
  if (!host_.SetColor(name, red, green, blue)) return false;
  timeline_.Change(host_, host_.FindParam(name), frame);
  return true;
}

PF_Err WebFire::Replay(int32_t frame) {
  PF_Err err = NewSequence();
  for (int32_t n = 1; n <= frame && err == PF_Err_NONE; ++n) err = Render(n);
  // The host holds the values of the next frame again: the latest the user set.
  timeline_.ApplyAt(host_, frame + 1);
  return err;
}

PF_Err WebFire::Render(int32_t frame) {
  timeline_.ApplyAt(host_, frame);
  PF_Err err = host_.FrameSetup();
  if (err == PF_Err_NONE) err = host_.Render(frame);
  if (err == PF_Err_NONE) {
    output_.resize(static_cast<size_t>(Width()) * Height() * 4);
    RgbaFromHostPixels(host_.Output().data(), Width(), Height(), host_.OutputStride(),
                       output_.data());
  }
  return err;
}
