// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/frame_rate.h"

#include <numeric>

bool ReducedRate(int64_t num, int64_t den, FrameRate* rate) {
  if (num <= 0 || den <= 0) return false;
  const int64_t common = std::gcd(num, den);
  num /= common;
  den /= common;
  if (num > INT32_MAX || den > INT32_MAX) return false;
  *rate = FrameRate(static_cast<int32_t>(num), static_cast<int32_t>(den));
  return true;
}

std::string FrameRateText(const FrameRate& rate) {
  if (rate.den == 1) return std::to_string(rate.num);
  return std::to_string(rate.num) + "/" + std::to_string(rate.den);
}
