// Everything the engine keeps at module level between calls, as one value: a front end that
// runs several independent fires in one process keeps one of these per fire and puts it in
// place around each call into the effect. The engine itself still keeps one process-wide
// state, as the compositing host expects.
#pragma once

#include <cstdint>

#include "flame/flame_palette.h"

// Default-constructed: the state the engine has when the module is loaded.
struct FlameState {
  uint32_t random = 1;          // the generator
  float bandPhase = 0.0f;       // drift of the seed discs
  float previewPhase = 0.0f;    // sway of the viewer's preview bands
  bool resetPending = true;     // the next render restarts the fire
  float stepCredit = 0.0f;
  float stepIncrement = 1.0f;
  FlamePalette renderPalette = {};
  FlameColorTable renderColorTable = {};
};

// The engine's state now.
FlameState SaveFlameState();
// Makes `state` the engine's state.
void RestoreFlameState(const FlameState& state);
