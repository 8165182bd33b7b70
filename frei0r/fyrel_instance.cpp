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
#include "host/param_positions.h"

namespace {

// Large enough for any video frame; small enough that every pixel index and row length the
// effect forms stays within 32 bits.
constexpr unsigned kMaxSide = 32768;

PF_ParamType EffectType(Frei0rKind kind) {
  switch (kind) {
    case Frei0rKind::kSlider: return PF_Param_SLIDER;
    case Frei0rKind::kAngle: return PF_Param_ANGLE;
    case Frei0rKind::kCheckBox: return PF_Param_CHECKBOX;
    case Frei0rKind::kColor: break;
  }
  return PF_Param_COLOR;
}

}  // namespace

FyrelInstance::FyrelInstance(int32_t width, int32_t height)
    : host_(effect_), width_(width), height_(height) {}

FyrelInstance::~FyrelInstance() = default;  // the host sets the sequence down

std::unique_ptr<FyrelInstance> FyrelInstance::Create(unsigned width, unsigned height) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  try {
    std::unique_ptr<FyrelInstance> instance(
        new FyrelInstance(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    if (!instance->Start()) return nullptr;
    return instance;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool FyrelInstance::Start() {
  host_.SetTimeStep(1);  // current_time is the frame index itself
  host_.SetFrame(width_, height_);
  host_.SetInputRgba(nullptr, width_, height_);
  if (host_.Start() != PF_Err_NONE || host_.ParamCount() != kParamCount) return false;
  // The frei0r table must describe the parameters the effect declared, ranges included,
  // since the explanations state them.
  for (int i = 0; i < kFrei0rParamCount; ++i) {
    const Frei0rParam& param = *Frei0rParamAt(i);
    const PF_ParamDef& def = host_.Param(param.position);
    if (std::strcmp(def.name, param.name) != 0 || def.param_type != EffectType(param.kind)) {
      return false;
    }
    if (param.kind == Frei0rKind::kSlider &&
        (def.u.sd.valid_min != param.min || def.u.sd.valid_max != param.max)) {
      return false;
    }
  }
  return true;
}

void FyrelInstance::SetParam(int index, const void* value) {
  const Frei0rParam* param = Frei0rParamAt(index);
  if (!param || !value) return;
  std::lock_guard<InstanceLock> hold(lock_);
  PF_ParamDef& def = host_.Param(param->position);
  switch (param->kind) {
    case Frei0rKind::kSlider:
      def.u.sd.value = SliderFromUnit(*static_cast<const double*>(value), param->min, param->max,
                                      def.u.sd.value);
      break;
    case Frei0rKind::kAngle:
      def.u.ad.value = AngleFromUnit(*static_cast<const double*>(value), def.u.ad.value);
      break;
    case Frei0rKind::kCheckBox:
      def.u.bd.value = CheckBoxFromUnit(*static_cast<const double*>(value), def.u.bd.value);
      break;
    case Frei0rKind::kColor: {
      const auto& color = *static_cast<const f0r_param_color_t*>(value);
      PF_Pixel& pixel = def.u.cd.value;
      pixel.red = ByteFromUnit(color.r, pixel.red);
      pixel.green = ByteFromUnit(color.g, pixel.green);
      pixel.blue = ByteFromUnit(color.b, pixel.blue);
      break;
    }
  }
}

void FyrelInstance::GetParam(int index, void* value) const {
  const Frei0rParam* param = Frei0rParamAt(index);
  if (!param || !value) return;
  std::lock_guard<InstanceLock> hold(lock_);
  const PF_ParamDef& def = host_.Param(param->position);
  switch (param->kind) {
    case Frei0rKind::kSlider:
      *static_cast<double*>(value) = UnitFromSlider(def.u.sd.value, param->min, param->max);
      break;
    case Frei0rKind::kAngle:
      *static_cast<double*>(value) = UnitFromAngle(def.u.ad.value);
      break;
    case Frei0rKind::kCheckBox:
      *static_cast<double*>(value) = UnitFromCheckBox(def.u.bd.value);
      break;
    case Frei0rKind::kColor: {
      auto& color = *static_cast<f0r_param_color_t*>(value);
      const PF_Pixel& pixel = def.u.cd.value;
      color.r = UnitFromByte(pixel.red);
      color.g = UnitFromByte(pixel.green);
      color.b = UnitFromByte(pixel.blue);
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
  // frei0r's bytes are red, green, blue, alpha: the RGBA the host of our own takes and gives.
  host_.SetInputRgba(reinterpret_cast<const uint8_t*>(inframe), width_, height_);
  host_.FrameSetup();
  host_.Render(NextFrame(time));  // the output world starts transparent black: row 0 stays so
  host_.OutputRgba(reinterpret_cast<uint8_t*>(outframe));
}
