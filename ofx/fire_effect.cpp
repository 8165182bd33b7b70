#include "ofx/fire_effect.h"

#include <cstring>
#include <new>

#include "host/effect_fire.h"

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
    host_.SetFrame(width, height);
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
  host_.SetFrame(oldWidth, oldHeight);
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
  // Every pixel but row 0's is written by each render; row 0 stays transparent from SetFrame.
  if (err == PF_Err_NONE) err = host_.Render(frame, false);
  return err == PF_Err_NONE;
}

void FireEffect::Restart() { RestartEffectFire(instance_, &host_.InData()); }

void FireEffect::Save(FireSnapshot& snapshot) {
  const EffectFireBuffers buffers = FireBuffersOf(&host_.InData());
  snapshot.flame = instance_.flame;
  std::memcpy(snapshot.cells.get(), buffers.mask, buffers.cells);
  std::memcpy(snapshot.cells.get() + buffers.cells, buffers.field, buffers.cells);
  std::memcpy(snapshot.cells.get() + 2 * buffers.cells, buffers.drops, buffers.cells);
}

bool FireEffect::Restore(const FireSnapshot& snapshot) {
  const EffectFireBuffers buffers = FireBuffersOf(&host_.InData());
  if (!buffers.field || 3 * buffers.cells != CellBytes()) {
    Restart();
    return false;
  }
  std::memcpy(buffers.mask, snapshot.cells.get(), buffers.cells);
  std::memcpy(buffers.field, snapshot.cells.get() + buffers.cells, buffers.cells);
  std::memcpy(buffers.drops, snapshot.cells.get() + 2 * buffers.cells, buffers.cells);
  instance_.flame = snapshot.flame;
  return true;
}
