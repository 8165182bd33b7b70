// SPDX-License-Identifier: GPL-2.0-or-later
// Which implementation runs each pass: the plain loops or the fast engine, as the fire's state
// asks. The two give the same bytes and leave the state alike; this is the one place that
// chooses between them.
#include "flame/fast/fast_flame.h"
#include "flame/flame_field.h"
#include "flame/plain/plain_flame.h"
#include "flame/render_flame.h"

namespace {

bool Fast(const FlameState& state) { return state.engine == FlameEngine::kFast; }

}  // namespace

void StepFlameField(FlameState& state, uint8_t* field, const uint8_t* mask, const uint8_t* drops,
                    int columns, int rows, int height, int soot, int width, int amplitude,
                    int direction, int drop, int velocity) {
  if (Fast(state)) {
    FastStepFlameField(state, field, mask, drops, columns, rows, height, soot, width, amplitude,
                       direction, drop, velocity);
  } else {
    PlainStepFlameField(state, field, mask, drops, columns, rows, height, soot, width, amplitude,
                        direction, drop, velocity);
  }
}

void BuildMaskAndDrops(FlameState& state, int stride, int rows, const FlameSourceImage& source,
                       uint8_t* mask, int32_t invert, int32_t drop, uint8_t* drops) {
  if (Fast(state)) {
    FastBuildMaskAndDrops(state, stride, rows, source, mask, invert, drop, drops);
  } else {
    PlainBuildSourceMask(stride, rows, source, mask, invert);
    if (drop) PlainScatterDrops(state, stride, rows, mask, drops);
  }
}

void ColourFlameField(const FlameState& state, const uint8_t* field, int stride, int width,
                      int rows, const FlameColorTable& table, int32_t alpha, FlamePixel* output) {
  if (Fast(state)) {
    FastColourFlameField(field, stride, width, rows, table, alpha, output);
  } else {
    PlainColourFlameField(field, stride, width, rows, table, alpha, output);
  }
}
