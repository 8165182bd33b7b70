#include "frei0r/frei0r_params.h"

#include <cmath>

#include "frei0r/frei0r_api.h"
#include "host/param_positions.h"

namespace {

const Frei0rParam kParams[kFrei0rParamCount] = {
    {"Velocity", Frei0rKind::kSlider, kParamVelocity, 1, 100,
     "Flame speed 1..100 = 1 + round(v*99)"},
    {"Height", Frei0rKind::kSlider, kParamHeight, 0, 255,
     "Flame height 0..255 = round(v*255)"},
    {"Soot", Frei0rKind::kSlider, kParamSoot, 0, 255,
     "Soot 0..255 = round(v*255)"},
    {"Width", Frei0rKind::kSlider, kParamWidth, 0, 255,
     "Width of the flame tongues 0..255 = round(v*255)"},
    {"Amplitude", Frei0rKind::kSlider, kParamAmplitude, 0, 255,
     "Sway of the flame tongues 0..255 = round(v*255)"},
    {"Alpha", Frei0rKind::kSlider, kParamAlpha, 0, 255,
     "Brightness from which the fire is opaque 0..255 = round(v*255)"},
    {"Color 1", Frei0rKind::kColor, kParamColor1, 0, 0,
     "Custom palette colour at the hot end; each component round(c*255)"},
    {"Color 2", Frei0rKind::kColor, kParamColor2, 0, 0,
     "Custom palette colour at Color 2 Position; each component round(c*255)"},
    {"Color 3", Frei0rKind::kColor, kParamColor3, 0, 0,
     "Custom palette colour at Color 3 Position; each component round(c*255)"},
    {"Color 4", Frei0rKind::kColor, kParamColor4, 0, 0,
     "Custom palette colour at the cold end; each component round(c*255)"},
    {"Color 2 Position", Frei0rKind::kSlider, kParamColor2Position, 0, 255,
     "Palette index of Color 2, 0..255 = round(v*255)"},
    {"Color 3 Position", Frei0rKind::kSlider, kParamColor3Position, 0, 255,
     "Palette index of Color 3, 0..255 = round(v*255)"},
    {"Custom Color", Frei0rKind::kCheckBox, kParamCustomColor, 0, 0,
     "Use the four colours instead of the built-in fire palette"},
    {"Birth", Frei0rKind::kCheckBox, kParamBirth, 0, 0,
     "Let the fire grow from nothing at the first frame instead of already burning"},
    {"Drop", Frei0rKind::kCheckBox, kParamDrop, 0, 0, "Let random drops of fire fall"},
    {"Invert Source", Frei0rKind::kCheckBox, kParamInvertSource, 0, 0,
     "Dark parts of the source feed the fire instead of bright ones"},
    {"Fire Direction", Frei0rKind::kAngle, kParamFireDirection, 0, 0,
     "Direction the flames move, 0..360 degrees = v*360 (0 up, 0.25 right)"},
};

// NaN stays NaN here; the callers test for it first.
double ClampUnit(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

}  // namespace

const Frei0rParam* Frei0rParamAt(int index) {
  if (index < 0 || index >= kFrei0rParamCount) return nullptr;
  return &kParams[index];
}

int Frei0rType(Frei0rKind kind) {
  switch (kind) {
    case Frei0rKind::kCheckBox: return F0R_PARAM_BOOL;
    case Frei0rKind::kColor: return F0R_PARAM_COLOR;
    case Frei0rKind::kSlider:
    case Frei0rKind::kAngle: break;
  }
  return F0R_PARAM_DOUBLE;
}

int32_t SliderFromUnit(double v, int32_t min, int32_t max, int32_t current) {
  if (std::isnan(v)) return current;
  const double span = static_cast<double>(max) - static_cast<double>(min);
  return min + static_cast<int32_t>(std::lround(ClampUnit(v) * span));
}

double UnitFromSlider(int32_t value, int32_t min, int32_t max) {
  if (max <= min) return 0.0;
  const double offset = static_cast<double>(value) - static_cast<double>(min);
  return ClampUnit(offset / (static_cast<double>(max) - static_cast<double>(min)));
}

int32_t AngleFromUnit(double v, int32_t current) {
  if (std::isnan(v)) return current;
  return static_cast<int32_t>(std::lround(ClampUnit(v) * kFullTurnFixed));
}

double UnitFromAngle(int32_t fixed) { return ClampUnit(static_cast<double>(fixed) / kFullTurnFixed); }

int32_t CheckBoxFromUnit(double v, int32_t current) {
  if (std::isnan(v)) return current;
  return v >= 0.5 ? 1 : 0;
}

double UnitFromCheckBox(int32_t value) { return value != 0 ? 1.0 : 0.0; }

uint8_t ByteFromUnit(float c, uint8_t current) {
  if (std::isnan(c)) return current;
  return static_cast<uint8_t>(std::lround(ClampUnit(c) * 255.0));
}

float UnitFromByte(uint8_t byte) { return static_cast<float>(byte / 255.0); }
