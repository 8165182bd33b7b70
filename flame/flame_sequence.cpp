// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/flame_sequence.h"

#include "flame/page_memory.h"

void ReleaseFlameBuffers(FlameSequenceData& sequence) {
  uint8_t** buffers[3] = {&sequence.mask, &sequence.field, &sequence.drops};
  for (uint8_t** buffer : buffers) {
    if (*buffer) {
      FreePages(*buffer);
      *buffer = nullptr;
    }
  }
  sequence.width = 0;
  sequence.height = 0;
}
