#include "flame/flame_random.h"

namespace FlameRandom {

uint32_t state = 1;

void Seed(uint32_t value) { state = value; }

int Next() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

}  // namespace FlameRandom
