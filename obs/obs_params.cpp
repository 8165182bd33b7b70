#include "obs/obs_params.h"

#include <cmath>

#include "ofx/fire_params.h"

namespace {

// OBS keeps a colour as 0xAABBGGRR; the effect takes 0xRRGGBB.
int64_t ObsColor(const double rgb[3]) {
  const auto byte = [](double c) { return static_cast<int64_t>(std::lround(c * 255.0)); };
  return int64_t{0xFF} << 24 | byte(rgb[2]) << 16 | byte(rgb[1]) << 8 | byte(rgb[0]);
}

double ColorUnit(int64_t color, int shift) { return ((color >> shift) & 0xFF) / 255.0; }

// The angle's slider: one turn, in hundredths of a degree.
constexpr double kAngleMin = 0.0, kAngleMax = 360.0, kAngleStep = 0.01;

}  // namespace

void AddFireProperties(obs_properties_t* props) {
  for (int g = 0; g < kFireGroupCount; ++g) {
    obs_properties_t* group = obs_properties_create();
    for (const FireParam& p : FireParams()) {
      if (p.group != g) continue;
      obs_property_t* property = nullptr;
      switch (p.kind) {
        case FireParamKind::kInteger:
          property = obs_properties_add_int_slider(group, p.scriptName, p.label, p.min, p.max, 1);
          break;
        case FireParamKind::kBoolean:
          property = obs_properties_add_bool(group, p.scriptName, p.label);
          break;
        case FireParamKind::kColor:
          property = obs_properties_add_color(group, p.scriptName, p.label);
          break;
        case FireParamKind::kAngle:
          property = obs_properties_add_float_slider(group, p.scriptName, p.label, kAngleMin,
                                                     kAngleMax, kAngleStep);
          obs_property_float_set_suffix(property, "\xC2\xB0");  // degrees
          break;
      }
      obs_property_set_long_description(property, p.hint);
    }
    const FireGroup& info = FireGroups()[g];
    obs_properties_add_group(props, info.scriptName, info.label, OBS_GROUP_NORMAL, group);
  }
}

void SetFireDefaults(obs_data_t* settings) {
  for (const FireParam& p : FireParams()) {
    switch (p.kind) {
      case FireParamKind::kInteger:
        obs_data_set_default_int(settings, p.scriptName, static_cast<int64_t>(p.dephault[0]));
        break;
      case FireParamKind::kBoolean:
        obs_data_set_default_bool(settings, p.scriptName, p.dephault[0] != 0.0);
        break;
      case FireParamKind::kColor:
        obs_data_set_default_int(settings, p.scriptName, ObsColor(p.dephault));
        break;
      case FireParamKind::kAngle:
        obs_data_set_default_double(settings, p.scriptName, p.dephault[0]);
        break;
    }
  }
}

FireSettings FireSettingsFrom(obs_data_t* settings) {
  FireSettings values;
  for (const FireParam& p : FireParams()) {
    int32_t value = 0;
    switch (p.kind) {
      case FireParamKind::kInteger: {
        const int64_t v = obs_data_get_int(settings, p.scriptName);
        value = FireIntegerValue(p, static_cast<int>(v < p.min ? p.min : v > p.max ? p.max : v));
        break;
      }
      case FireParamKind::kBoolean:
        value = obs_data_get_bool(settings, p.scriptName) ? 1 : 0;
        break;
      case FireParamKind::kColor: {
        const int64_t c = obs_data_get_int(settings, p.scriptName);
        value = FireColorValue(p, ColorUnit(c, 0), ColorUnit(c, 8), ColorUnit(c, 16));
        break;
      }
      case FireParamKind::kAngle:
        value = FireAngleValue(p, obs_data_get_double(settings, p.scriptName));
        break;
    }
    values.emplace_back(p.label, value);
  }
  return values;
}
