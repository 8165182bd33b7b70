// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters as an OpenFX host shows and animates them, taken from the effect's
// parameter table: its script names (which saved projects rely on), display names, ranges,
// defaults, groups and help, and the reduction of a host's values to the integers the effect
// keeps.
#pragma once

#include <array>
#include <cstdint>

#include "effect/effect_params.h"

enum class FireParamKind {
  kInteger,  // the effect's integer slider, same range
  kBoolean,  // a check box: 0 or 1
  kColor,    // RGB doubles 0..1; each byte round(c * 255)
  kAngle,    // degrees as a double, fractions kept: 16.16 fixed point, nearest
};

struct FireGroup {
  const char* scriptName;
  const char* label;
};

struct FireParam {
  const char* scriptName;
  const char* label;  // the effect's display name
  FireParamKind kind;
  int32_t min, max;   // integers: the valid range; angle: degrees
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
int32_t FireAngleValue(const FireParam& param, double degrees);
