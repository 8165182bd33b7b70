// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/effect_params.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr bool InHostOrder() {
  for (int i = 0; i < kEffectParamCount; ++i) {
    if (kEffectParams[i].position != i + 1) return false;
  }
  return true;
}
static_assert(InHostOrder(), "the table lists the parameters at their host positions");

constexpr ParamGroupInfo kGroups[kParamGroupCount] = {
    {"flameGroup", "Flame", "Shape and speed: the viewer's preview runs on these.", true},
    {"colorGroup", "Colours", "The palette: the viewer's preview is coloured with these.", true},
    {"renderGroup", "Render", "Read by a render; the viewer is not handed these.", false},
};

}  // namespace

const EffectParam* FindEffectParam(const std::string& name) {
  for (const EffectParam& param : kEffectParams) {
    if (name == param.name) return &param;
  }
  return nullptr;
}

const ParamGroupInfo& GroupInfo(ParamGroup group) { return kGroups[static_cast<int>(group)]; }

int64_t NearestFixed16(double value) { return std::llround(value * 65536.0); }

std::string ValueText(const EffectParam& param, int32_t value) {
  char text[32];
  switch (param.kind) {
    case ParamKind::kColor:
      std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value) & 0xFFFFFF);
      return text;
    case ParamKind::kCheckBox: return value != 0 ? "on" : "off";
    case ParamKind::kAngle:
    case ParamKind::kFraction:
      std::snprintf(text, sizeof text, "%.6g", value / 65536.0);
      return text;
    case ParamKind::kSlider: break;
  }
  return std::to_string(value);
}

std::string DefaultText(const EffectParam& param) { return ValueText(param, param.dephault); }
