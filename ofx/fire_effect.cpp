// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/fire_effect.h"

#include <new>

#include "flame/heat_colour.h"
#include "host/effect_fire.h"
#include "effect/param_positions.h"

bool FireEffect::Start() {
  host_.SetTimeStep(1);
  if (host_.Start() != PF_Err_NONE || !host_.SequenceHandle()) return false;
  for (const FireParam& param : FireParams()) {
    if (host_.FindParam(param.label) < 0) return false;
  }
  return true;
}

bool FireEffect::SetFrameSize(int32_t width, int32_t height) {
  const int32_t oldWidth = width_, oldHeight = height_;
  width_ = height_ = 0;  // no size is the fire's until its layers and buffers agree with it
  try {
    host_.SetFrameUncoloured(width, height);
    host_.InputPixels(width, height);
    if (SizeEffectFire(instance_, &host_.InData(), width, height)) {
      width_ = width;
      height_ = height;
      return true;
    }
  } catch (const std::bad_alloc&) {
  }
  // What the new size had is let go before the old size's layers are had again; the fire's
  // state and buffers were not touched.
  host_.SetFrame(0, 0);
  host_.InputPixels(0, 0);
  host_.SetFrameUncoloured(oldWidth, oldHeight);
  host_.InputPixels(oldWidth, oldHeight);
  width_ = oldWidth;
  height_ = oldHeight;
  return false;
}

size_t FireEffect::CellBytes() const {
  return 3 * static_cast<size_t>(width_) * static_cast<size_t>(height_);
}

bool FireEffect::Render(int32_t frame, const FireValues& values) {
  const auto& params = FireParams();
  for (int i = 0; i < kFireParamCount; ++i) host_.SetValue(params[i].label, values[i]);
  PF_Err err = host_.FrameSetup();
  if (err == PF_Err_NONE) err = host_.Render(frame, false);
  return err == PF_Err_NONE;
}

void FireEffect::Restart() { RestartEffectFire(instance_, &host_.InData()); }

const uint8_t* FireEffect::Heat() { return FireBuffersOf(&host_.InData()).field; }

void FireEffect::Colours(PF_Pixel colours[256]) const {
  const int32_t alpha = host_.Param(kParamAlpha).u.sd.value;
  for (int h = 0; h < 256; ++h) {
    const FlamePixel pixel =
        FlameHeatPixel(static_cast<uint8_t>(h), instance_.flame.renderColorTable, alpha);
    colours[h] = PF_Pixel{pixel.alpha, pixel.red, pixel.green, pixel.blue};
  }
}

void FireEffect::Save(FireSnapshots& snapshots, int32_t frame) {
  SaveEffectFire(snapshots, frame, instance_, &host_.InData());
}

bool FireEffect::Restore(FireSnapshots& snapshots, const FireSnapshot& snapshot) {
  if (3 * FireBuffersOf(&host_.InData()).cells != CellBytes() ||
      !RestoreEffectFire(snapshots, snapshot, instance_, &host_.InData())) {
    Restart();
    return false;
  }
  return true;
}
