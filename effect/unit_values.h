// SPDX-License-Identifier: GPL-2.0-or-later
// A parameter's value as a number from 0 to 1, as frei0r hosts, Kdenlive and Shotcut hand it
// over, and back. Every mapping rounds with lround (halves away from zero, whatever the
// rounding mode), so one value gives the same integer on every host; reading a value back and
// setting it again gives the same integer.
#pragma once

#include <cstdint>

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
