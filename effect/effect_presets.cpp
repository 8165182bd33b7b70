// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/effect_presets.h"

namespace {

constexpr int32_t Degrees(int32_t whole) { return whole * kFixedOne; }
constexpr int32_t kOn = 1, kOff = 0;

}  // namespace

// Chosen by rendering each on the built-in wordmark and on a photograph, so that no two look
// alike. Each sets only what makes it its own look.
const EffectPreset kEffectPresets[kPresetCount] = {
    {"candle", "Candle", "small, slow, steady flames that barely sway",
     {{kParamVelocity, 15}, {kParamHeight, 60}, {kParamWidth, 20}, {kParamAmplitude, 4},
      {kParamDrop, kOff}},
     5},
    {"torch", "Torch", "the whole shape burning evenly, with flames of middle height",
     {{kParamVelocity, 60}, {kParamHeight, 20}, {kParamWidth, 0}, {kParamAmplitude, 8}},
     4},
    {"campfire", "Campfire", "tall tongues of flame, some long, some short, that lick upwards",
     {{kParamVelocity, 50}, {kParamHeight, 5}, {kParamWidth, 60}, {kParamAmplitude, 30}},
     4},
    {"wall-of-fire", "Wall of fire", "fast flames so tall that they fill the frame above the shape",
     {{kParamVelocity, 100}, {kParamHeight, 0}, {kParamWidth, 0}},
     3},
    {"embers", "Embers", "a slow, dim orange glow in patches, with little flame",
     {{kParamVelocity, 10}, {kParamHeight, 40}, {kParamSoot, 150},
      {kParamColor1, 0xFFC040}, {kParamColor2, 0xE04000}, {kParamColor3, 0x600000},
      {kParamColor2Position, 60}, {kParamColor3Position, 140}, {kParamCustomColor, kOn}},
     9},
    {"blue-gas", "Blue gas", "a fast, even blue flame as from a gas burner",
     {{kParamVelocity, 100}, {kParamHeight, 40}, {kParamWidth, 0}, {kParamAmplitude, 4},
      {kParamColor1, 0xE0F0FF}, {kParamColor2, 0x4080FF}, {kParamColor3, 0x0010A0},
      {kParamCustomColor, kOn}, {kParamDrop, kOff}},
     9},
    {"green-chemical", "Green chemical", "thin, flickering green flames as from burning copper salts",
     {{kParamVelocity, 70}, {kParamHeight, 5}, {kParamWidth, 10}, {kParamAmplitude, 30},
      {kParamColor1, 0xF0FFE0}, {kParamColor2, 0x60FF40}, {kParamColor3, 0x006010},
      {kParamCustomColor, kOn}},
     8},
    {"ghost-fire", "Ghost fire", "a cold, pale violet fire rising from the dark parts of the picture",
     {{kParamVelocity, 25}, {kParamHeight, 12}, {kParamWidth, 0}, {kParamAmplitude, 30},
      {kParamColor1, 0xFFFFFF}, {kParamColor2, 0xA0E0FF}, {kParamColor3, 0x402080},
      {kParamCustomColor, kOn}, {kParamInvertSource, kOn}},
     9},
    {"windswept", "Windswept", "flames blown up and to the right by a steady wind",
     {{kParamVelocity, 45}, {kParamHeight, 5}, {kParamWidth, 0}, {kParamFireDirection, Degrees(45)}},
     4},
};

const EffectPreset* FindPreset(const std::string& name) {
  for (const EffectPreset& preset : kEffectPresets) {
    if (name == preset.name) return &preset;
  }
  return nullptr;
}

std::string PresetNamesText() {
  std::string text;
  for (const EffectPreset& preset : kEffectPresets) {
    if (!text.empty()) text += ", ";
    text += preset.name;
  }
  return text;
}

int32_t PresetValueOf(const EffectPreset& preset, const EffectParam& param) {
  for (int i = 0; i < preset.count; ++i) {
    if (preset.values[i].position == param.position) return preset.values[i].value;
  }
  // A colour default carries the host's alpha, which nothing reads.
  return param.kind == ParamKind::kColor ? param.dephault & 0xFFFFFF : param.dephault;
}

std::vector<std::string> PresetFlags(const EffectPreset& preset) {
  std::vector<std::string> flags;
  for (const EffectParam& param : EffectParams()) {
    for (int i = 0; i < preset.count; ++i) {
      if (preset.values[i].position == param.position) {
        flags.push_back(std::string("--") + param.flagName + "=" +
                        ValueText(param, preset.values[i].value));
      }
    }
  }
  return flags;
}
