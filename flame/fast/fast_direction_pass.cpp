// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/fast/fast_direction_pass.h"

#include "flame/fast/fast_flame.h"

void FastFlameDirectionPass(const FlameState& state, uint8_t* field, int columns, int rows,
                            int height, int soot, uint32_t jitter, int direction) {
  if (rows < 3 || columns < 3) return;
  fastflame::DirectionPassByRows(VectorsFor(state.fast), field, columns, rows,
                                 fastflame::CoolingOf(height, soot, jitter), direction,
                                 fastflame::NoFinish());
}
