#include "ofx/fire_effect.h"

#include "flame/flame_sequence.h"
#include "flame/heat_colour.h"
#include "flame/page_memory.h"
#include "host/param_positions.h"

bool FireEffect::Start() {
  host_.SetTimeStep(1);
  if (host_.Start() != PF_Err_NONE || !Sequence()) return false;
  for (const FireParam& param : FireParams()) {
    if (host_.FindParam(param.label) < 0) return false;
  }
  return true;
}

FlameSequenceData* FireEffect::Sequence() const {
  PF_Handle handle = host_.SequenceHandle();
  return handle ? static_cast<FlameSequenceData*>(*handle) : nullptr;
}

void FireEffect::SetFrameSize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  host_.SetFrameUncoloured(width, height);
  Restart();
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

const uint8_t* FireEffect::Heat() const { return Sequence()->field; }

void FireEffect::Colours(PF_Pixel colours[256]) const {
  const int32_t alpha = host_.Param(kParamAlpha).u.sd.value;
  for (int h = 0; h < 256; ++h) {
    const FlamePixel pixel =
        FlameHeatPixel(static_cast<uint8_t>(h), instance_.flame.renderColorTable, alpha);
    colours[h] = PF_Pixel{pixel.alpha, pixel.red, pixel.green, pixel.blue};
  }
}

void FireEffect::Restart() {
  instance_.flame = FlameState{};
  if (FlameSequenceData* sequence = Sequence()) ReleaseFlameBuffers(*sequence);
}

void FireEffect::Save(FireSnapshots& snapshots, int32_t frame) const {
  const FlameSequenceData* sequence = Sequence();
  const uint8_t* const buffers[3] = {sequence->mask, sequence->field, sequence->drops};
  snapshots.Save(frame, instance_.flame, buffers);
}

bool FireEffect::Restore(FireSnapshots& snapshots, const FireSnapshot& snapshot) {
  FlameSequenceData* sequence = Sequence();
  const size_t size = CellBytes() / 3;
  if (sequence->width != width_ || sequence->height != height_ || !sequence->field) {
    ReleaseFlameBuffers(*sequence);
    sequence->mask = static_cast<uint8_t*>(AllocatePages(size));
    sequence->field = static_cast<uint8_t*>(AllocatePages(size));
    sequence->drops = static_cast<uint8_t*>(AllocatePages(size));
    if (!sequence->mask || !sequence->field || !sequence->drops) {
      Restart();
      return false;
    }
    sequence->width = width_;
    sequence->height = height_;
  }
  uint8_t* const buffers[3] = {sequence->mask, sequence->field, sequence->drops};
  if (!snapshots.Load(snapshot, &instance_.flame, buffers)) {
    Restart();
    return false;
  }
  return true;
}
