// SPDX-License-Identifier: GPL-2.0-or-later
// The flame engine's random generator: a 32-bit linear congruential generator. A fire has one,
// in its FlameState, shared by every render step, the drop pass, the render driver's reset and
// the viewer's preview step.
#pragma once

#include <cstdint>

struct FlameRandom {
  uint32_t state = 1;  // 1 when the library is loaded

  void Seed(uint32_t value) { state = value; }

  // Advances the state and returns 0..32767.
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
};
