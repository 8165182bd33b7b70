// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/fire_params.h"

#include <cmath>

namespace {

// The host shows the parameters by group, the effect's order within each.
std::array<FireParam, kFireParamCount> MakeParams() {
  std::array<FireParam, kFireParamCount> params{};
  int index = 0;
  for (int group = 0; group < kFireGroupCount; ++group) {
    for (const EffectParam& p : EffectParams()) {
      if (p.hostOnly || static_cast<int>(p.group) != group) continue;
      FireParam& param = params[index++];
      param = {p.position, p.scriptName, p.name, p.kind, p.min, p.max, {0, 0, 0}, group, p.help};
      switch (p.kind) {
        case ParamKind::kColor:
          param.dephault[0] = RedOf(p.dephault) / 255.0;
          param.dephault[1] = GreenOf(p.dephault) / 255.0;
          param.dephault[2] = BlueOf(p.dephault) / 255.0;
          break;
        case ParamKind::kAngle:
        case ParamKind::kFraction: param.dephault[0] = p.dephault / 65536.0; break;
        default: param.dephault[0] = p.dephault;
      }
    }
  }
  return params;
}

std::array<FireGroup, kFireGroupCount> MakeGroups() {
  std::array<FireGroup, kFireGroupCount> groups{};
  for (int group = 0; group < kFireGroupCount; ++group) {
    const ParamGroupInfo& info = GroupInfo(static_cast<ParamGroup>(group));
    groups[group] = {info.scriptName, info.title};
  }
  return groups;
}

int32_t Clamp(int64_t v, int32_t min, int32_t max) {
  return static_cast<int32_t>(v < min ? min : v > max ? max : v);
}

int32_t ColorByte(double c, double fallback) {
  if (std::isnan(c)) c = fallback;
  c = c < 0.0 ? 0.0 : c > 1.0 ? 1.0 : c;
  return static_cast<int32_t>(std::lround(c * 255.0));
}

}  // namespace

const std::array<FireGroup, kFireGroupCount>& FireGroups() {
  static const std::array<FireGroup, kFireGroupCount> groups = MakeGroups();
  return groups;
}

const std::array<FireParam, kFireParamCount>& FireParams() {
  static const std::array<FireParam, kFireParamCount> params = MakeParams();
  return params;
}

FireValues DefaultFireValues() {
  FireValues values{};
  for (int i = 0; i < kFireParamCount; ++i) {
    const FireParam& p = FireParams()[i];
    switch (p.kind) {
      case ParamKind::kColor:
        values[i] = FireColorValue(p, p.dephault[0], p.dephault[1], p.dephault[2]);
        break;
      case ParamKind::kAngle:
      case ParamKind::kFraction:
        values[i] = FireFixedValue(p, p.dephault[0]);
        break;
      default:
        values[i] = FireIntegerValue(p, static_cast<int>(p.dephault[0]));
    }
  }
  return values;
}

int32_t FireIntegerValue(const FireParam& param, int value) {
  return param.kind == ParamKind::kCheckBox ? (value != 0) : Clamp(value, param.min, param.max);
}

int32_t FireColorValue(const FireParam& param, double red, double green, double blue) {
  return ColorByte(red, param.dephault[0]) << 16 | ColorByte(green, param.dephault[1]) << 8 |
         ColorByte(blue, param.dephault[2]);
}

int32_t FireFixedValue(const FireParam& param, double value) {
  if (std::isnan(value)) value = param.dephault[0];
  value = value < param.min ? param.min : value > param.max ? param.max : value;
  return static_cast<int32_t>(NearestFixed16(value));
}

EffectValues EffectValuesOf(const FireValues& values) {
  EffectValues effect = DefaultEffectValues();
  for (int i = 0; i < kFireParamCount; ++i) effect[FireParams()[i].position - 1] = values[i];
  return effect;
}
