#include "obs/obs_fire.h"

#include <limits>
#include <new>

#include "cli/media/composite.h"

namespace {

// Large enough for any video frame; small enough that every pixel index and row length the
// effect forms stays within 32 bits.
constexpr uint32_t kMaxSide = 32768;

// round(v / 255) for v up to 255 × 255, exactly, without a division.
inline uint8_t DivideBy255(uint32_t v) {
  v += 128;
  return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

}  // namespace

void StraightHostPixels(const uint8_t* rgba, size_t count, PF_Pixel* pixels) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 255) {
      pixels[i] = PF_Pixel{255, rgba[0], rgba[1], rgba[2]};
    } else if (a == 0) {
      pixels[i] = PF_Pixel{0, 0, 0, 0};
    } else {
      uint8_t c[3];
      for (int k = 0; k < 3; ++k) {
        const uint32_t v = (rgba[k] * 255u + a / 2) / a;
        c[k] = static_cast<uint8_t>(v > 255 ? 255 : v);
      }
      pixels[i] = PF_Pixel{static_cast<uint8_t>(a), c[0], c[1], c[2]};
    }
  }
}

void PremultiplyRgba(uint8_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 255) continue;
    for (int k = 0; k < 3; ++k) rgba[k] = DivideBy255(rgba[k] * a);
  }
}

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
                   bool fireAlone, uint8_t* out) {
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
  host_.OutputRgba(out);
  const size_t pixels = width * static_cast<size_t>(height_);
  if (!fireAlone) CompositeOverHostPixels(input, out, pixels);
  PremultiplyRgba(out, pixels);
  return true;
}
