// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/unit_values.h"

#include <cmath>

#include "effect/effect_params.h"

namespace {

// NaN stays NaN here; the callers test for it first.
double ClampUnit(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

}  // namespace

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
  return static_cast<int32_t>(NearestFixed16(ClampUnit(v) * 360.0));
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
