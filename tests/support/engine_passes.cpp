// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/engine_passes.h"

#include "flame/fast/fast_flame.h"
#include "flame/plain/plain_flame.h"

namespace {

bool Fast(const FlameState& state) { return state.engine == FlameEngine::kFast; }

}  // namespace

void FlameDirectionPass(const FlameState& state, uint8_t* field, int columns, int rows,
                        int height, int soot, uint32_t jitter, int direction) {
  if (Fast(state)) {
    FastFlameDirectionPass(state, field, columns, rows, height, soot, jitter, direction);
  } else {
    PlainFlameDirectionPass(field, columns, rows, height, soot, jitter, direction);
  }
}

void SeedFlameDiscs(FlameState& state, uint8_t* field, const uint8_t* mask, int columns,
                    int rows, int width, int amplitude, int velocity) {
  if (Fast(state)) {
    FastSeedFlameDiscs(state, field, mask, columns, rows, width, amplitude, velocity);
  } else {
    PlainSeedFlameDiscs(state, field, mask, columns, rows, width, amplitude, velocity);
  }
}

void OverlayFlameDrops(const FlameState& state, uint8_t* field, const uint8_t* drops,
                       int columns, int rows) {
  if (Fast(state)) {
    FastOverlayFlameDrops(state, field, drops, columns, rows);
  } else {
    PlainOverlayFlameDrops(field, drops, columns, rows);
  }
}

void ScatterDrops(FlameState& state, int columns, int rows, const uint8_t* mask,
                  uint8_t* drops) {
  if (Fast(state)) {
    FastScatterDrops(state, columns, rows, mask, drops);
  } else {
    PlainScatterDrops(state, columns, rows, mask, drops);
  }
}

void BuildSourceMask(const FlameState& state, int stride, int rows,
                     const FlameSourceImage& source, uint8_t* mask, int32_t invert) {
  if (Fast(state)) {
    FastBuildSourceMask(state, stride, rows, source, mask, invert);
  } else {
    PlainBuildSourceMask(stride, rows, source, mask, invert);
  }
}
