// SPDX-License-Identifier: GPL-2.0-or-later
// Named looks to start from, each described once: a name, a one-line description and the
// parameter values it sets; every parameter it does not name keeps its default. The renderer's
// --preset and `fyrel presets`, the page's preset menu, the OBS filter's and the OpenFX
// plug-in's preset lists and the README's contact sheet all take them from here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "effect/effect_params.h"

// One value a preset sets, in the effect's own value (as EffectParam::dephault is, colours
// as 0xRRGGBB and directions in 16.16 fixed-point degrees).
struct PresetValue {
  FlameParam position;
  int32_t value;
};

constexpr int kMostPresetValues = 12;

struct EffectPreset {
  const char* name;         // lower case, words joined by hyphens: "blue-gas"
  const char* title;        // as a menu shows it: "Blue gas"
  const char* description;  // one line
  PresetValue values[kMostPresetValues];  // the first `count` are set
  int count;
};

constexpr int kPresetCount = 9;
extern const EffectPreset kEffectPresets[kPresetCount];

// The preset called `name`, or null.
const EffectPreset* FindPreset(const std::string& name);
// "candle, torch, ...": every name, for messages.
std::string PresetNamesText();
// The value `preset` gives `param`: its own, or the parameter's default (a colour as
// 0xRRGGBB).
int32_t PresetValueOf(const EffectPreset& preset, const EffectParam& param);
// The renderer's flags that give the preset's values: "--velocity=20", "--custom-color=on".
std::vector<std::string> PresetFlags(const EffectPreset& preset);
