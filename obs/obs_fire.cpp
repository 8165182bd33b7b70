// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/obs_fire.h"

#include <limits>
#include <new>


namespace {

// Large enough for any video frame; small enough that every pixel index and row length the
// effect forms stays within 32 bits.
constexpr uint32_t kMaxSide = 32768;

}  // namespace

ObsFire::ObsFire(int32_t width, int32_t height) : width_(width), height_(height) {}

std::unique_ptr<ObsFire> ObsFire::Create(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  try {
    std::unique_ptr<ObsFire> fire(
        new ObsFire(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    if (!fire->fire_.Resize(fire->width_, fire->height_)) return nullptr;
    return fire;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool ObsFire::Step(const uint8_t* source, uint32_t sourceRowBytes, const EffectValues& values,
                   bool fireAlone, uint8_t* out, uint32_t outRowBytes) {
  fire_.Values() = values;
  // A fire that has run for years keeps counting without the restart that frame 1 means.
  const int32_t frame = frame_ == std::numeric_limits<int32_t>::max() ? 2 : frame_ + 1;
  const ConstPixelView from{source, sourceRowBytes, width_, height_,
                            PixelLayout::kRgbaPremultiplied};
  const PixelView to{out, outRowBytes, width_, height_, PixelLayout::kRgbaPremultiplied};
  // The fire is coloured straight into OBS's bytes, alone or over the source.
  if (!(fireAlone ? fire_.Render(frame, from, to) : fire_.RenderOver(frame, from, to))) {
    return false;
  }
  frame_ = frame;
  return true;
}
