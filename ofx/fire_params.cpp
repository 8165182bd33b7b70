#include "ofx/fire_params.h"

#include <cmath>

namespace {

// The viewer's grouping: what shapes the flame, what colours it (both of which the Options
// viewer previews), and what only the render reads.
constexpr std::array<FireGroup, kFireGroupCount> kGroups = {{
    {"flameGroup", "Flame"},
    {"colorGroup", "Colors"},
    {"renderGroup", "Render"},
}};

constexpr int kFlame = 0, kColors = 1, kRender = 2;
constexpr FireParamKind kInt = FireParamKind::kInteger;
constexpr FireParamKind kBool = FireParamKind::kBoolean;
constexpr FireParamKind kColor = FireParamKind::kColor;

constexpr std::array<FireParam, kFireParamCount> kParams = {{
    {"velocity", "Velocity", kInt, 1, 100, {45}, kFlame, "Flame speed"},
    {"height", "Height", kInt, 0, 255, {13}, kFlame, "Cooling of hot cells"},
    {"soot", "Soot", kInt, 0, 255, {1}, kFlame, "Cooling jitter of warm cells"},
    {"width", "Width", kInt, 0, 255, {41}, kFlame, "Width of the seed bands"},
    {"amplitude", "Amplitude", kInt, 0, 255, {12}, kFlame, "Sway of the seed bands"},
    {"color1", "Color 1", kColor, 0, 0, {1, 1, 1}, kColors, "Hottest colour of the custom palette"},
    {"color2", "Color 2", kColor, 0, 0, {1, 1, 0}, kColors, "Second colour of the custom palette"},
    {"color3", "Color 3", kColor, 0, 0, {1, 0, 0}, kColors, "Third colour of the custom palette"},
    {"color4", "Color 4", kColor, 0, 0, {0, 0, 0}, kColors, "Coldest colour of the custom palette"},
    {"color2Position", "Color 2 Position", kInt, 0, 255, {85}, kColors,
     "Palette index of Color 2"},
    {"color3Position", "Color 3 Position", kInt, 0, 255, {171}, kColors,
     "Palette index of Color 3"},
    {"customColor", "Custom Color", kBool, 0, 1, {0}, kColors,
     "Colour the fire with the four colours instead of the built-in fire palette"},
    {"alpha", "Alpha", kInt, 0, 255, {213}, kRender,
     "Brightness at and above which a pixel of fire is opaque"},
    {"birth", "Birth", kBool, 0, 1, {1}, kRender,
     "On: the fire grows from nothing at frame 1; off: it is already burning"},
    {"drop", "Drop", kBool, 0, 1, {1}, kRender, "Random falling drops of fire"},
    {"invertSource", "Invert Source", kBool, 0, 1, {1}, kRender,
     "Dark parts of the source feed the fire instead of bright ones"},
    {"fireDirection", "Fire Direction", FireParamKind::kAngle, -32767, 32767, {0}, kRender,
     "Direction the flames move, in degrees: 0 up, 90 right"},
}};

int32_t Clamp(int64_t v, int32_t min, int32_t max) {
  return static_cast<int32_t>(v < min ? min : v > max ? max : v);
}

int32_t ColorByte(double c, double fallback) {
  if (std::isnan(c)) c = fallback;
  c = c < 0.0 ? 0.0 : c > 1.0 ? 1.0 : c;
  return static_cast<int32_t>(std::lround(c * 255.0));
}

}  // namespace

const std::array<FireGroup, kFireGroupCount>& FireGroups() { return kGroups; }
const std::array<FireParam, kFireParamCount>& FireParams() { return kParams; }

FireValues DefaultFireValues() {
  FireValues values{};
  for (int i = 0; i < kFireParamCount; ++i) {
    const FireParam& p = kParams[i];
    switch (p.kind) {
      case FireParamKind::kColor:
        values[i] = FireColorValue(p, p.dephault[0], p.dephault[1], p.dephault[2]);
        break;
      case FireParamKind::kAngle:
        values[i] = FireAngleValue(p, p.dephault[0]);
        break;
      default:
        values[i] = FireIntegerValue(p, static_cast<int>(p.dephault[0]));
    }
  }
  return values;
}

int32_t FireIntegerValue(const FireParam& param, int value) {
  return param.kind == FireParamKind::kBoolean ? (value != 0) : Clamp(value, param.min, param.max);
}

int32_t FireColorValue(const FireParam& param, double red, double green, double blue) {
  return ColorByte(red, param.dephault[0]) << 16 | ColorByte(green, param.dephault[1]) << 8 |
         ColorByte(blue, param.dephault[2]);
}

int32_t FireAngleValue(const FireParam& param, double degrees) {
  if (std::isnan(degrees)) degrees = param.dephault[0];
  degrees = degrees < param.min ? param.min : degrees > param.max ? param.max : degrees;
  return static_cast<int32_t>(std::llround(degrees * 65536.0));
}
