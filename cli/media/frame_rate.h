// SPDX-License-Identifier: GPL-2.0-or-later
// A frame rate as an exact fraction of frames per second: 25, 30000/1001 (NTSC's 29.97), 2997/100.
#pragma once

#include <cstdint>
#include <string>

struct FrameRate {
  int32_t num = 25;
  int32_t den = 1;
  FrameRate() = default;
  FrameRate(int32_t whole) : num(whole), den(1) {}  // NOLINT: a whole rate reads as one
  FrameRate(int32_t n, int32_t d) : num(n), den(d) {}
  double Value() const { return static_cast<double>(num) / den; }
  bool operator==(const FrameRate& other) const { return num == other.num && den == other.den; }
};

// num/den in lowest terms; false when either is not positive or the result does not fit.
bool ReducedRate(int64_t num, int64_t den, FrameRate* rate);

// "25" for a whole rate, else "30000/1001": as ffmpeg takes it.
std::string FrameRateText(const FrameRate& rate);
