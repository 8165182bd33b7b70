// SPDX-License-Identifier: GPL-2.0-or-later
// The flame field: a grid of one-byte heat cells, row-major, row 0 first (cell (y, x) is
// element y * columns + x). The render step moves heat one cell per step in one of eight
// directions while averaging and cooling it, seeds it from the source mask in drifting discs
// and stamps the drop buffer over it; the drop pass scatters and lets fall the drop buffer.
#pragma once

#include <cstdint>

#include "flame/flame_state.h"

// Direction codes: which way the heat moves in the direction pass.
enum FlameDirection : int {
  kFlameDown = 0,
  kFlameDownLeft = 1,
  kFlameLeft = 2,
  kFlameUpLeft = 3,
  kFlameUp = 4,
  kFlameUpRight = 5,
  kFlameRight = 6,
  kFlameDownRight = 7,
};

// The cooling rule shared by the render step and the preview step: a cell above `height`
// loses `height`; otherwise a cell above `soot` loses the step's jitter remainder.
inline uint8_t CoolFlameCell(uint8_t v, int height, int soot, uint32_t jitter) {
  if (v > height) return static_cast<uint8_t>(v - height);
  if (v > soot) return static_cast<uint8_t>(v - jitter % static_cast<uint32_t>(soot + 1));
  return v;
}

// Each pass runs the engine that the fire's state asks for (flame/flame_engine.cpp) and takes
// its generator and band phase from that state.

// One render step. height, soot, width, amplitude and velocity are parameter bytes (0..255);
// direction is a FlameDirection; drop non-zero stamps the drop buffer over the field.
void StepFlameField(FlameState& state, uint8_t* field, const uint8_t* mask, const uint8_t* drops,
                    int columns, int rows, int height, int soot, int width, int amplitude,
                    int direction, int drop, int velocity);

