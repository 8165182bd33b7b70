// SPDX-License-Identifier: GPL-2.0-or-later
// Everything one fire keeps from one call into the engine to the next, as one value that its
// caller owns and passes to every engine function: the generator, the phases, the render's
// stepping and colours, which implementation of the passes runs, and that implementation's
// working storage. A default-constructed state is the state a freshly loaded library has.
// Copying a state is cheap: the fast engine's caches are not copied (see FastEngineState).
#pragma once

#include "flame/fast/fast_engine_state.h"
#include "flame/flame_palette.h"
#include "flame/flame_random.h"

// Which implementation of the flame passes runs: the plain loops, which follow the visiting
// order cell by cell and serve as the oracle, or the fast engine, which works whole rows at a
// time with vector instructions and gives the same bytes.
enum class FlameEngine { kPlain, kFast };

struct FlameState {
  FlameRandom random;
  float bandPhase = 0.0f;     // drift of the seed discs
  float previewPhase = 0.0f;  // sway of the viewer's preview bands
  bool resetPending = true;   // the next render restarts the fire
  float stepCredit = 0.0f;    // carried fraction of steps
  float stepIncrement = 1.0f; // credit added per render
  FlamePalette renderPalette = {};
  FlameColorTable renderColorTable = {};
  FlameEngine engine = FlameEngine::kFast;
  fastflame::FastEngineState fast;
};
