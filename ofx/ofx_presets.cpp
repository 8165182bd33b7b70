// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_presets.h"

#include <cstring>

#include "effect/effect_presets.h"
#include "ofx/ofx_host.h"

namespace {

// The row of the effect's table behind a parameter the host shows.
const EffectParam& RowOf(const FireParam& param) {
  for (const EffectParam& row : EffectParams()) {
    if (std::strcmp(row.scriptName, param.scriptName) == 0) return row;
  }
  return EffectParams()[0];  // unreachable: every FireParam comes from a row
}

}  // namespace

OfxStatus DefinePresetChoice(OfxParamSetHandle set) {
  OfxPropertySetHandle handle = nullptr;
  if (HostSuites().params->paramDefine(set, ofx::kParamTypeChoice, kPresetParamName, &handle) !=
          ofx::kStatOK ||
      !handle) {
    return ofx::kStatFailed;
  }
  const OfxProps props(handle);
  props.SetString(ofx::kPropLabel, "Preset");
  props.SetString(ofx::kParamPropScriptName, kPresetParamName);
  props.SetString(ofx::kParamPropHint, "sets every parameter below to a named look");
  props.SetString(ofx::kParamPropChoiceOption, "(choose a look)", 0);
  for (int i = 0; i < kPresetCount; ++i) {
    props.SetString(ofx::kParamPropChoiceOption, kEffectPresets[i].title, i + 1);
  }
  props.SetInt(ofx::kParamPropDefault, 0);
  props.SetInt(ofx::kParamPropAnimates, 0);
  props.SetInt(ofx::kParamPropEvaluateOnChange, 0);
  return ofx::kStatOK;
}

bool ApplyPickedPreset(OfxParamSetHandle set, OfxParamHandle choice, double time,
                       const std::array<OfxParamHandle, kFireParamCount>& params) {
  const OfxParameterSuiteV1& suite = *HostSuites().params;
  int picked = 0;
  if (suite.paramGetValueAtTime(choice, time, &picked) != ofx::kStatOK || picked < 1 ||
      picked > kPresetCount) {
    return false;
  }
  const EffectPreset& preset = kEffectPresets[picked - 1];
  suite.paramEditBegin(set, preset.title);
  for (int i = 0; i < kFireParamCount; ++i) {
    const FireParam& param = FireParams()[i];
    const int32_t value = PresetValueOf(preset, RowOf(param));
    switch (param.kind) {
      case FireParamKind::kInteger:
      case FireParamKind::kBoolean: suite.paramSetValue(params[i], static_cast<int>(value)); break;
      case FireParamKind::kColor:
        suite.paramSetValue(params[i], RedOf(value) / 255.0, GreenOf(value) / 255.0,
                            BlueOf(value) / 255.0);
        break;
      case FireParamKind::kAngle: suite.paramSetValue(params[i], value / 65536.0); break;
    }
  }
  suite.paramSetValue(choice, 0);
  suite.paramEditEnd(set);
  return true;
}
