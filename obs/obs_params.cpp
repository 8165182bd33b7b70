// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/obs_params.h"

#include <algorithm>
#include <cmath>

#include "effect/effect_params.h"
#include "effect/effect_presets.h"

namespace {

// OBS keeps a colour as 0xAABBGGRR; the effect takes 0xRRGGBB.
int64_t ObsColor(int32_t rgb) {
  return int64_t{0xFF} << 24 | BlueOf(rgb) << 16 | GreenOf(rgb) << 8 | RedOf(rgb);
}
int32_t EffectColor(int64_t abgr) {
  return static_cast<int32_t>((abgr & 0xFF) << 16 | (abgr & 0xFF00) | (abgr >> 16 & 0xFF));
}

int64_t Clamped(int64_t v, int64_t min, int64_t max) { return v < min ? min : v > max ? max : v; }

// The angle's widget: a slider over one turn, in hundredths of a degree (0 up, 90 right); a
// saved value anywhere in the effect's range is kept.
constexpr double kTurn = 360.0, kAngleStep = 0.01;

// `value` (the effect's own) of `p` in `settings`, as OBS keeps it; as the default when
// `asDefault`.
void PutValue(obs_data_t* settings, const EffectParam& p, int32_t value, bool asDefault) {
  switch (p.kind) {
    case ParamKind::kSlider:
      (asDefault ? obs_data_set_default_int : obs_data_set_int)(settings, p.scriptName, value);
      break;
    case ParamKind::kCheckBox:
      (asDefault ? obs_data_set_default_bool : obs_data_set_bool)(settings, p.scriptName,
                                                                  value != 0);
      break;
    case ParamKind::kColor:
      (asDefault ? obs_data_set_default_int : obs_data_set_int)(settings, p.scriptName,
                                                                ObsColor(value));
      break;
    case ParamKind::kAngle:
    case ParamKind::kFraction:
      (asDefault ? obs_data_set_default_double : obs_data_set_double)(
          settings, p.scriptName, static_cast<double>(value) / kFixedOne);
      break;
  }
}

// A preset picked from the list sets every parameter, as if the user had set each; the list
// goes back to its first line, so that showing the properties again sets nothing.
bool PresetPicked(obs_properties_t*, obs_property_t*, obs_data_t* settings) {
  const EffectPreset* preset = FindPreset(obs_data_get_string(settings, kPresetSetting));
  if (!preset) return false;
  for (const EffectParam& p : kEffectParams) {
    if (!p.hostOnly) PutValue(settings, p, PresetValueOf(*preset, p), false);
  }
  obs_data_set_string(settings, kPresetSetting, "");
  return true;  // the properties show the new values
}

}  // namespace

void AddPresetList(obs_properties_t* props, const char* title, const char* none) {
  obs_property_t* list = obs_properties_add_list(props, kPresetSetting, title,
                                                 OBS_COMBO_TYPE_LIST, OBS_COMBO_FORMAT_STRING);
  obs_property_list_add_string(list, none, "");
  for (const EffectPreset& preset : kEffectPresets) {
    obs_property_list_add_string(list, preset.title, preset.name);
  }
  obs_property_set_long_description(list, "sets every value below to a named look");
  obs_property_set_modified_callback(list, PresetPicked);
}

void AddFireProperties(obs_properties_t* props) {
  for (int g = 0; g < kParamGroupCount; ++g) {
    obs_properties_t* group = obs_properties_create();
    for (const EffectParam& p : kEffectParams) {
      if (p.hostOnly || static_cast<int>(p.group) != g) continue;
      const char* label = p.name;
      obs_property_t* property = nullptr;
      switch (p.kind) {
        case ParamKind::kSlider:
          property = obs_properties_add_int_slider(group, p.scriptName, label, p.min, p.max, 1);
          break;
        case ParamKind::kCheckBox:
          property = obs_properties_add_bool(group, p.scriptName, label);
          break;
        case ParamKind::kColor:
          property = obs_properties_add_color(group, p.scriptName, label);
          break;
        case ParamKind::kAngle:
          property = obs_properties_add_float_slider(group, p.scriptName, label, 0.0, kTurn,
                                                     kAngleStep);
          obs_property_float_set_suffix(property, "\xC2\xB0");  // degrees
          break;
        case ParamKind::kFraction:
          property = obs_properties_add_float_slider(group, p.scriptName, label, p.min, p.max,
                                                     1.0 / kFixedOne);
          break;
      }
      obs_property_set_long_description(property, p.help);
    }
    const ParamGroupInfo& info = GroupInfo(static_cast<ParamGroup>(g));
    obs_properties_add_group(props, info.scriptName, info.title, OBS_GROUP_NORMAL, group);
  }
}

void SetFireDefaults(obs_data_t* settings) {
  for (const EffectParam& p : kEffectParams) {
    if (!p.hostOnly) PutValue(settings, p, p.dephault, true);
  }
  obs_data_set_default_string(settings, kPresetSetting, "");
}

FireSettings FireSettingsFrom(obs_data_t* settings) {
  FireSettings values;
  for (const EffectParam& p : kEffectParams) {
    if (p.hostOnly) continue;
    int64_t value = 0;
    switch (p.kind) {
      case ParamKind::kSlider:
        value = Clamped(obs_data_get_int(settings, p.scriptName), p.min, p.max);
        break;
      case ParamKind::kCheckBox:
        value = obs_data_get_bool(settings, p.scriptName) ? 1 : 0;
        break;
      case ParamKind::kColor:
        value = EffectColor(obs_data_get_int(settings, p.scriptName));
        break;
      case ParamKind::kAngle:
      case ParamKind::kFraction: {
        const double v = obs_data_get_double(settings, p.scriptName);  // degrees or units
        value = std::isnan(v) ? p.dephault
                              : NearestFixed16(std::min<double>(std::max<double>(v, p.min), p.max));
        break;
      }
    }
    values.emplace_back(p.name, static_cast<int32_t>(value));
  }
  return values;
}
