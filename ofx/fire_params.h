// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters as an OpenFX host shows and animates them, taken from the effect's
// parameter table: its script names (which saved projects rely on), display names, ranges,
// defaults, groups and help, and the reduction of a host's values to the integers the effect
// keeps.
#pragma once

#include <array>
#include <cstdint>

#include "effect/effect_params.h"
#include "effect/fire.h"

struct FireGroup {
  const char* scriptName;
  const char* label;
};

// Each kind as the host shows it: a slider as an integer of the same range, a check box as a
// boolean, a colour as RGB doubles 0..1 (each byte round(c * 255)), an angle or a fraction as
// a double (16.16 fixed point, nearest).
struct FireParam {
  FlameParam position;  // the effect's parameter: its place in the table
  const char* scriptName;
  const char* label;  // the effect's display name
  ParamKind kind;
  int32_t min, max;   // sliders: the valid range; angles: degrees; fractions: units
  double dephault[3];  // colours r, g, b; everything else [0]
  int group;          // index into FireGroups()
  const char* hint;
};

constexpr int kFireGroupCount = kParamGroupCount;
constexpr int kFireParamCount = kShownParamCount;

const std::array<FireGroup, kFireGroupCount>& FireGroups();
// In the order the host shows them: by group, the effect's order within each.
const std::array<FireParam, kFireParamCount>& FireParams();

// One frame's values as the effect keeps them, in FireParams() order: integers and check boxes
// as they are, colours as 0xRRGGBB, the angle in 16.16 fixed-point degrees.
using FireValues = std::array<int32_t, kFireParamCount>;

// The defaults, reduced.
FireValues DefaultFireValues();

// A host's value, reduced the way the effect takes it. Values outside the range are clamped
// and NaN gives the default, so a host that does not enforce ranges cannot feed the effect a
// value its own host never would.
int32_t FireIntegerValue(const FireParam& param, int value);
int32_t FireColorValue(const FireParam& param, double red, double green, double blue);
// An angle in degrees or a fraction in units, in 16.16 fixed point.
int32_t FireFixedValue(const FireParam& param, double value);

// One frame's values as the Fire keeps them, by the table's index.
EffectValues EffectValuesOf(const FireValues& values);
