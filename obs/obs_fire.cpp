// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/obs_fire.h"

#include <limits>
#include <new>

#include "obs/obs_pixels.h"

namespace {

// Large enough for any video frame; small enough that every pixel index and row length the
// effect forms stays within 32 bits.
constexpr uint32_t kMaxSide = 32768;

}  // namespace

ObsFire::ObsFire(int32_t width, int32_t height)
    : host_(effect_), width_(width), height_(height) {}

std::unique_ptr<ObsFire> ObsFire::Create(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  try {
    std::unique_ptr<ObsFire> fire(
        new ObsFire(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    fire->host_.SetTimeStep(1);  // current_time is the frame index itself
    fire->host_.SetFrame(fire->width_, fire->height_);
    fire->host_.SetInputRgba(nullptr, fire->width_, fire->height_);
    if (fire->host_.Start() != PF_Err_NONE) return nullptr;
    return fire;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool ObsFire::Step(const uint8_t* source, uint32_t sourceRowBytes, const FireSettings& settings,
                   bool fireAlone, uint8_t* out, uint32_t outRowBytes) {
  for (const auto& [name, value] : settings) {
    if (!host_.SetValue(name, value)) return false;
  }
  const size_t width = static_cast<size_t>(width_);
  PF_Pixel* input = host_.InputPixels(width_, height_);
  for (int32_t y = 0; y < height_; ++y) {
    StraightHostPixels(source + static_cast<size_t>(y) * sourceRowBytes, width,
                       input + static_cast<size_t>(y) * width);
  }
  // A fire that has run for years keeps counting without the restart that frame 1 means.
  frame_ = frame_ == std::numeric_limits<int32_t>::max() ? 2 : frame_ + 1;
  host_.FrameSetup();
  host_.Render(frame_);  // the output world starts transparent black
  const PF_Pixel* fire = host_.Output().data();
  const size_t fireStride = static_cast<size_t>(host_.OutputStride());
  for (int32_t y = 0; y < height_; ++y) {
    const PF_Pixel* fireRow = fire + static_cast<size_t>(y) * fireStride;
    uint8_t* outRow = out + static_cast<size_t>(y) * outRowBytes;
    if (fireAlone) {
      PremultipliedFire(fireRow, width, outRow);
    } else {
      PremultipliedFireOver(fireRow, input + static_cast<size_t>(y) * width, width, outRow);
    }
  }
  return true;
}
