// SPDX-License-Identifier: GPL-2.0-or-later
// The fire of one instance and sequence as a front end that keeps copies of it sees it: the
// instance's FlameState, and the three buffers (source mask, heat field, drops, one byte a
// cell) that the sequence's record holds. A front end that restarts a fire, saves it and puts
// a saved one back goes through these, never through the record's layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/effect_commands.h"

struct EffectFireBuffers {
  uint8_t* mask = nullptr;
  uint8_t* field = nullptr;
  uint8_t* drops = nullptr;
  size_t cells = 0;  // bytes of each: width x height; 0 without buffers
};

// The buffers of the sequence whose handle `in_data` carries; empty before they are had.
EffectFireBuffers FireBuffersOf(PF_InData* in_data);

// Gives the sequence zero-filled buffers for a width x height frame and the instance its state
// at load: what a render at that size starts from. The new buffers are had before the old go:
// false when they cannot be, and the fire is as it was.
bool SizeEffectFire(EffectInstance& instance, PF_InData* in_data, int32_t width, int32_t height);

// The state at load: the instance's state restarts and the buffers, kept, are cleared.
void RestartEffectFire(EffectInstance& instance, PF_InData* in_data);
