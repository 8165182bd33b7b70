// The effect's parameters as a frei0r host sees them: one frei0r parameter per parameter of
// the effect's table that front ends show, in its order, and the mapping between frei0r's
// 0..1 values and the integers the effect keeps. Every mapping rounds with lround (halves
// away from zero, whatever the rounding mode), so one value gives the same integer on every
// host; reading a value back and setting it again gives the same integer.
#pragma once

#include <cstdint>

#include "host/effect_params.h"

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

// 0..1 → min + lround(v × (max − min)). Out of range and infinite values clamp to the ends;
// NaN gives `current`, so a broken value loses nothing.
int32_t SliderFromUnit(double v, int32_t min, int32_t max, int32_t current);
double UnitFromSlider(int32_t value, int32_t min, int32_t max);

// 0..1 → lround(v × 360 × 65536): 0 and 1 are 0 and 360 degrees (both "up"). Clamped; NaN
// gives `current`.
constexpr int32_t kFullTurnFixed = 360 * 65536;
int32_t AngleFromUnit(double v, int32_t current);
double UnitFromAngle(int32_t fixed);

// [0.5, 1] is on, [0, 0.5[ off (frei0r's rule); NaN gives `current`.
int32_t CheckBoxFromUnit(double v, int32_t current);
double UnitFromCheckBox(int32_t value);

// A colour component 0..1 → lround(c × 255). Clamped; NaN gives `current`.
uint8_t ByteFromUnit(float c, uint8_t current);
float UnitFromByte(uint8_t byte);
