#include "obs/obs_fire.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "pixels are read as little-endian words");

namespace {

// Large enough for any video frame; small enough that every pixel index and row length the
// effect forms stays within 32 bits.
constexpr uint32_t kMaxSide = 32768;

// round(v / 255) for v up to 255 × 255, exactly, without a division.
inline uint8_t DivideBy255(uint32_t v) {
  v += 128;
  return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

inline void PutPremultiplied(uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint8_t* rgba) {
  rgba[0] = DivideBy255(r * a);
  rgba[1] = DivideBy255(g * a);
  rgba[2] = DivideBy255(b * a);
  rgba[3] = static_cast<uint8_t>(a);
}

}  // namespace

void StraightHostPixels(const uint8_t* rgba, size_t count, PF_Pixel* pixels) {
  // Runs of opaque pixels only move their bytes (a rotation of each word, which vectorises);
  // a run with any other alpha is done again pixel by pixel.
  constexpr size_t kRun = 64;
  for (size_t start = 0; start < count; start += kRun) {
    const size_t end = std::min(count, start + kRun);
    uint32_t opaque = 0xFF;
    for (size_t i = start; i < end; ++i) {
      uint32_t v;
      std::memcpy(&v, rgba + i * 4, 4);
      opaque &= v >> 24;
      v = v << 8 | v >> 24;  // red, green, blue, alpha → alpha, red, green, blue
      std::memcpy(&pixels[i], &v, 4);
    }
    if (opaque == 0xFF) continue;
    for (size_t i = start; i < end; ++i) {
      const uint8_t* p = rgba + i * 4;
      const uint32_t a = p[3];
      if (a == 255) continue;
      uint8_t c[3] = {0, 0, 0};
      for (int k = 0; a != 0 && k < 3; ++k) {
        c[k] = static_cast<uint8_t>(std::min<uint32_t>(255, (p[k] * 255u + a / 2) / a));
      }
      pixels[i] = PF_Pixel{static_cast<uint8_t>(a), c[0], c[1], c[2]};
    }
  }
}

void PremultipliedFire(const PF_Pixel* fire, size_t count, uint8_t* rgba) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const PF_Pixel& f = fire[i];
    PutPremultiplied(f.red, f.green, f.blue, f.alpha, rgba);
  }
}

void PremultipliedFireOver(const PF_Pixel* fire, const PF_Pixel* source, size_t count,
                           uint8_t* rgba) {
  // "Over" with straight alpha, then premultiplied:
  //   W = fa × 255 + sa × (255 − fa), alpha = round(W / 255),
  //   colour = round((f × fa × 255 + s × sa × (255 − fa)) / W), all 0 where W is 0.
  // Where the fire is opaque it is the fire, where it is clear the source; over an opaque source
  // W is 255 × 255 whatever the fire, a division the compiler turns into a multiplication.
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const PF_Pixel& f = fire[i];
    const PF_Pixel& s = source[i];
    const uint32_t fa = f.alpha, sa = s.alpha;
    if (fa == 255) {
      PutPremultiplied(f.red, f.green, f.blue, 255, rgba);
    } else if (fa == 0) {
      PutPremultiplied(s.red, s.green, s.blue, sa, rgba);
    } else if (sa == 255) {
      constexpr uint32_t kTotal = 255 * 255;
      const uint32_t fw = fa * 255, sw = 255 * (255 - fa);
      rgba[0] = static_cast<uint8_t>((f.red * fw + s.red * sw + kTotal / 2) / kTotal);
      rgba[1] = static_cast<uint8_t>((f.green * fw + s.green * sw + kTotal / 2) / kTotal);
      rgba[2] = static_cast<uint8_t>((f.blue * fw + s.blue * sw + kTotal / 2) / kTotal);
      rgba[3] = 255;
    } else {
      const uint32_t fw = fa * 255, sw = sa * (255 - fa), total = fw + sw;  // total > 0
      PutPremultiplied((f.red * fw + s.red * sw + total / 2) / total,
                       (f.green * fw + s.green * sw + total / 2) / total,
                       (f.blue * fw + s.blue * sw + total / 2) / total, (total + 127) / 255,
                       rgba);
    }
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
