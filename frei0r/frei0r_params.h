// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters as a frei0r host sees them: one frei0r parameter per parameter of
// the effect's table that front ends show, in its order, and the mapping between frei0r's
// 0..1 values and the integers the effect keeps. Every mapping rounds with lround (halves
// away from zero, whatever the rounding mode), so one value gives the same integer on every
// host; reading a value back and setting it again gives the same integer.
#pragma once

#include <cstdint>

#include "effect/effect_params.h"
#include "effect/unit_values.h"

enum class Frei0rKind {
  kSlider,    // F0R_PARAM_DOUBLE 0..1 onto the slider's integer range
  kAngle,     // F0R_PARAM_DOUBLE 0..1 onto 0..360 degrees, 16.16 fixed point
  kCheckBox,  // F0R_PARAM_BOOL
  kColor,     // F0R_PARAM_COLOR
};

struct Frei0rParam {
  const char* name;  // the effect's display name
  Frei0rKind kind;
  int position;      // in the effect's parameter array
  int32_t min, max;  // sliders only: the effect's valid range
  const char* explanation;  // the parameter's help
};

constexpr int kFrei0rParamCount = kShownParamCount;

// The frei0r parameter at `index` (0 .. kFrei0rParamCount - 1), or null.
const Frei0rParam* Frei0rParamAt(int index);
// The F0R_PARAM_* type of a kind.
int Frei0rType(Frei0rKind kind);
