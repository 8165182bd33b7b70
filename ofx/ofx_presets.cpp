// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_presets.h"

#include "effect/effect_presets.h"
#include "ofx/ofx_host.h"


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
    const int32_t value = PresetValueOf(preset, kEffectParams[param.position - 1]);
    switch (param.kind) {
      case ParamKind::kSlider:
      case ParamKind::kCheckBox: suite.paramSetValue(params[i], static_cast<int>(value)); break;
      case ParamKind::kColor:
        suite.paramSetValue(params[i], RedOf(value) / 255.0, GreenOf(value) / 255.0,
                            BlueOf(value) / 255.0);
        break;
      case ParamKind::kAngle:
      case ParamKind::kFraction: suite.paramSetValue(params[i], value / 65536.0); break;
    }
  }
  suite.paramSetValue(choice, 0);
  suite.paramEditEnd(set);
  return true;
}
