// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters, each described once: the name the host shows, the name scripts and
// flags use, its kind, range and default, the group it is shown in and its help line. The
// plug-in's parameter setup declares exactly these, in this order, at these positions; every
// other front end (the renderer's flags, help and manual, the frei0r filter and its Kdenlive
// and Shotcut descriptions, the OpenFX plug-in, the page) takes its parameters from here.
#pragma once

#include <cstdint>
#include <string>

#include "effect/param_positions.h"

// What kind of value a parameter holds, and so how a front end's value becomes the effect's.
enum class ParamKind {
  kSlider,    // an integer in [min, max]; the effect reads its low byte
  kColor,     // red, green and blue bytes; the default is 0xAARRGGBB as the host is
              // handed it (the alpha is read by nothing)
  kCheckBox,  // 0 or 1
  kAngle,     // degrees in 16.16 fixed point; min and max are whole degrees
  kFraction,  // 16.16 fixed point in [min, max] (whole units)
};

enum class ParamGroup { kFlame, kColours, kRender };
constexpr int kParamGroupCount = 3;

struct ParamGroupInfo {
  const char* scriptName;  // e.g. "flameGroup"
  const char* title;
  const char* note;        // what the Options viewer does with the group's values
  bool previewed;          // the viewer's preview reads these values
};

struct EffectParam {
  FlameParam position;     // in the host's parameter array
  const char* name;        // the display name, as the host shows it
  const char* scriptName;  // e.g. "color2Position": OpenFX script names, the page
  const char* flagName;    // e.g. "color2-position": the renderer's flag, without dashes
  ParamKind kind;
  int32_t min, max;        // sliders: the valid range; angles: degrees; fractions: units
  int32_t dephault;        // in the effect's own value (see ParamKind)
  ParamGroup group;
  const char* help;
  bool hostOnly;           // declared to the host but read by nothing: other front ends omit it
};

constexpr int kEffectParamCount = kParamCount - 1;  // every position but the input layer

namespace effect_table {
constexpr ParamKind kSlider = ParamKind::kSlider;
constexpr ParamKind kColor = ParamKind::kColor;
constexpr ParamKind kCheckBox = ParamKind::kCheckBox;
constexpr ParamGroup kFlame = ParamGroup::kFlame;
constexpr ParamGroup kColours = ParamGroup::kColours;
constexpr ParamGroup kRender = ParamGroup::kRender;

// The host's order. "Phase" keeps its position for the host, which stores its value in
// projects; nothing reads it, so the other front ends leave it out.
inline constexpr EffectParam kEffectParams[kEffectParamCount] = {
    {kParamVelocity, "Velocity", "velocity", "velocity", kSlider, 1, 100, 45, kFlame,
     "flame speed", false},
    {kParamHeight, "Height", "height", "height", kSlider, 0, 255, 13, kFlame,
     "cooling of hot cells", false},
    {kParamSoot, "Soot", "soot", "soot", kSlider, 0, 255, 1, kFlame,
     "cooling jitter of warm cells", false},
    {kParamWidth, "Width", "width", "width", kSlider, 0, 255, 41, kFlame,
     "width of the seed bands", false},
    {kParamAmplitude, "Amplitude", "amplitude", "amplitude", kSlider, 0, 255, 12, kFlame,
     "sway of the seed bands", false},
    {kParamAlpha, "Alpha", "alpha", "alpha", kSlider, 0, 255, 213, kRender,
     "brightness at and above which a pixel is opaque", false},
    {kParamColor1, "Color 1", "color1", "color1", kColor, 0, 0, static_cast<int32_t>(0xFFFFFFFF), kColours,
     "hottest colour of the custom palette", false},
    {kParamColor2, "Color 2", "color2", "color2", kColor, 0, 0, static_cast<int32_t>(0xFFFFFF00), kColours,
     "second colour of the custom palette", false},
    {kParamColor3, "Color 3", "color3", "color3", kColor, 0, 0, static_cast<int32_t>(0xFFFF0000), kColours,
     "third colour of the custom palette", false},
    {kParamColor4, "Color 4", "color4", "color4", kColor, 0, 0, 0x00000000, kColours,
     "coldest colour of the custom palette", false},
    {kParamColor2Position, "Color 2 Position", "color2Position", "color2-position", kSlider, 0,
     255, 85, kColours, "palette index of the second colour", false},
    {kParamColor3Position, "Color 3 Position", "color3Position", "color3-position", kSlider, 0,
     255, 171, kColours, "palette index of the third colour", false},
    {kParamCustomColor, "Custom Color", "customColor", "custom-color", kCheckBox, 0, 1, 0,
     kColours, "colour with the four colours instead of the built-in fire", false},
    {kParamBirth, "Birth", "birth", "birth", kCheckBox, 0, 1, 1, kRender,
     "on: the fire grows from nothing; off: 50 warm-up steps at each restart", false},
    {kParamDrop, "Drop", "drop", "drop", kCheckBox, 0, 1, 1, kRender, "random falling drops",
     false},
    {kParamInvertSource, "Invert Source", "invertSource", "invert-source", kCheckBox, 0, 1, 1,
     kRender, "dark source pixels burn instead of bright ones", false},
    {kParamFireDirection, "Fire Direction", "fireDirection", "fire-direction", ParamKind::kAngle,
     -32767, 32767, 0, kRender, "direction the flames move, 0 up, 90 right", false},
    {kParamPhase, "Phase", "phase", "phase", ParamKind::kFraction, 0, 1, 0, kRender,
     "kept by the effect, no visible effect", true},
};
}  // namespace effect_table

// The parameters in the host's order (position 1 .. kParamCount - 1).
using effect_table::kEffectParams;
constexpr const EffectParam (&EffectParams())[kEffectParamCount] { return kEffectParams; }

// How many parameters the front ends other than the host show (all but the host-only ones).
constexpr int ShownParamCount() {
  int count = 0;
  for (const EffectParam& param : kEffectParams) count += param.hostOnly ? 0 : 1;
  return count;
}
constexpr int kShownParamCount = ShownParamCount();
// The parameter named `name` (display name), or null.
const EffectParam* FindEffectParam(const std::string& name);
const ParamGroupInfo& GroupInfo(ParamGroup group);

// A colour default's bytes.
inline uint8_t AlphaOf(int32_t argb) { return static_cast<uint8_t>(argb >> 24 & 0xFF); }
inline uint8_t RedOf(int32_t rgb) { return static_cast<uint8_t>(rgb >> 16 & 0xFF); }
inline uint8_t GreenOf(int32_t rgb) { return static_cast<uint8_t>(rgb >> 8 & 0xFF); }
inline uint8_t BlueOf(int32_t rgb) { return static_cast<uint8_t>(rgb & 0xFF); }

// The 16.16 fixed-point value nearest to `value` (halves away from zero): how every front end
// turns degrees or fractions into what the effect keeps.
int64_t NearestFixed16(double value);
constexpr int32_t kFixedOne = 0x10000;

// A value of `param`, in the effect's own value, as the renderer's flag takes it and a front
// end shows it: "45", "FFFF00", "on", "90" (degrees), "0.5".
std::string ValueText(const EffectParam& param, int32_t value);
// The default so: ValueText(param, param.dephault).
std::string DefaultText(const EffectParam& param);
