// The flame engine's one random generator: a 32-bit linear congruential generator shared by
// every render step, the drop pass, the render driver's reset and the viewer's preview step.
#pragma once

#include <cstdint>

namespace FlameRandom {

// Process-wide state; 1 when the module is loaded.
extern uint32_t state;

void Seed(uint32_t value);

// Advances the state and returns 0..32767.
int Next();

}  // namespace FlameRandom
