// SPDX-License-Identifier: GPL-2.0-or-later
#include "frei0r/fyrel_instance.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

#include "frei0r/frei0r_api.h"
#include "frei0r/frei0r_params.h"
#include "effect/unit_values.h"

namespace {

// Large enough for any video frame; small enough that every pixel index and row length the
// effect forms stays within 32 bits.
constexpr unsigned kMaxSide = 32768;

}  // namespace

std::unique_ptr<FyrelInstance> FyrelInstance::Create(unsigned width, unsigned height) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  try {
    return std::unique_ptr<FyrelInstance>(
        new FyrelInstance(static_cast<int32_t>(width), static_cast<int32_t>(height)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void FyrelInstance::SetParam(int index, const void* value) {
  const Frei0rParam* param = Frei0rParamAt(index);
  if (!param || !value) return;
  std::lock_guard<InstanceLock> hold(lock_);
  const FlameParam position = static_cast<FlameParam>(param->position);
  const int32_t current = fire_.Value(position);
  const double unit = param->kind == Frei0rKind::kColor ? 0.0 : *static_cast<const double*>(value);
  switch (param->kind) {
    case Frei0rKind::kSlider:
      fire_.SetValue(position, SliderFromUnit(unit, param->min, param->max, current));
      break;
    case Frei0rKind::kAngle:
      fire_.SetValue(position, AngleFromUnit(unit, current));
      break;
    case Frei0rKind::kCheckBox:
      fire_.SetValue(position, CheckBoxFromUnit(unit, current));
      break;
    case Frei0rKind::kColor: {
      const auto& color = *static_cast<const f0r_param_color_t*>(value);
      fire_.SetValue(position, ByteFromUnit(color.r, RedOf(current)) << 16 |
                                   ByteFromUnit(color.g, GreenOf(current)) << 8 |
                                   ByteFromUnit(color.b, BlueOf(current)));
      break;
    }
  }
}

void FyrelInstance::GetParam(int index, void* value) const {
  const Frei0rParam* param = Frei0rParamAt(index);
  if (!param || !value) return;
  std::lock_guard<InstanceLock> hold(lock_);
  const int32_t current = fire_.Value(static_cast<FlameParam>(param->position));
  switch (param->kind) {
    case Frei0rKind::kSlider:
      *static_cast<double*>(value) = UnitFromSlider(current, param->min, param->max);
      break;
    case Frei0rKind::kAngle:
      *static_cast<double*>(value) = UnitFromAngle(current);
      break;
    case Frei0rKind::kCheckBox:
      *static_cast<double*>(value) = UnitFromCheckBox(current);
      break;
    case Frei0rKind::kColor: {
      auto& color = *static_cast<f0r_param_color_t*>(value);
      color.r = UnitFromByte(RedOf(current));
      color.g = UnitFromByte(GreenOf(current));
      color.b = UnitFromByte(BlueOf(current));
      break;
    }
  }
}

int32_t FyrelInstance::NextFrame(double time) {
  const bool backwards = haveTime_ && time < lastTime_;  // false for NaN
  if (frame_ == 0 || backwards) {
    frame_ = 1;
  } else if (frame_ == std::numeric_limits<int32_t>::max()) {
    frame_ = 2;  // keeps counting without the restart that frame 1 means
  } else {
    ++frame_;
  }
  if (!std::isnan(time)) {
    lastTime_ = time;
    haveTime_ = true;
  }
  return frame_;
}

void FyrelInstance::Update(double time, const uint32_t* inframe, uint32_t* outframe) {
  if (!outframe) return;
  std::lock_guard<InstanceLock> hold(lock_);
  // frei0r's bytes are red, green, blue, alpha, read and written where the host holds them.
  const ConstPixelView source =
      inframe ? PackedView(reinterpret_cast<const uint8_t*>(inframe), width_, height_, PixelLayout::kRgba)
              : ConstPixelView{};
  const PixelView output = PackedView(reinterpret_cast<uint8_t*>(outframe), width_, height_, PixelLayout::kRgba);
  if (!fire_.Render(NextFrame(time), source, output)) {
    // Out of memory for the fire's buffers: a transparent frame, and the next update tries again.
    std::memset(outframe, 0, static_cast<size_t>(width_) * height_ * 4);
  }
}
