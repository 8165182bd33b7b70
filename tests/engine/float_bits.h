// SPDX-License-Identifier: GPL-2.0-or-later
// The bit pattern of a float: phases are compared to the last bit.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
