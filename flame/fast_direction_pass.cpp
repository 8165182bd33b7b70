#include "flame/fast_direction_pass.h"

#include "flame/fast_flame.h"

void FastFlameDirectionPass(uint8_t* field, int columns, int rows, int height, int soot,
                            uint32_t jitter, int direction) {
  if (rows < 3 || columns < 3) return;
  fastflame::DirectionPassByRows(field, columns, rows, fastflame::CoolingOf(height, soot, jitter),
                                 direction, fastflame::NoFinish());
}
