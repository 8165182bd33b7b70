// SPDX-License-Identifier: GPL-2.0-or-later
// What every benchmark renders: the frame sizes, the fixed source layer, and a host of our
// own started with the effect and set up for one scene.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flame/flame_state.h"
#include "host/effect_commands.h"
#include "host/host_interface.h"
#include "minihost/effect_host.h"

struct BenchSize {
  const char* name;
  int32_t width;
  int32_t height;
};

extern const BenchSize kBenchSizes[4];

// The source: an opaque white frame with a large dark disc and a line of dark text-like blocks.
// With "Invert Source" on (the default) the dark shapes become a bright mask that feeds the
// fire. Made once per size.
const std::vector<PF_Pixel>& BenchSource(const BenchSize& size);

// An instance of the effect, a fire of its own, and a started host around it.
struct BenchFire {
  EffectInstance instance;
  EffectHost host{instance};
  int32_t nextFrame = 0;  // the frame index to render next
};

// A fire with the frame and source of `size` and "Velocity" set when velocity > 0, already
// burning: the first render ran with "Birth" off (50 warm-up steps), then 20 more with the
// default "Birth". The warm-up runs on the fast engine (both engines give the same bytes);
// then the fire runs on `engine`. It is kept for the next call with the same `key`, so that a
// benchmark run several times warms up once.
BenchFire& BenchHost(const std::string& key, const BenchSize& size, int velocity,
                     FlameEngine engine);

// The steps the next render of `flame` will run, read without disturbing it. Valid when the
// render does not restart (neither frame 1 nor a pending reset).
int PeekRenderSteps(const FlameState& flame);

// Per-frame figures of the finished benchmarks, for the closing summary.
struct FrameFigure {
  double seconds = 0;  // wall time per frame
  double steps = 0;    // steps per frame, on average
};
void RecordFrameFigure(const std::string& key, const FrameFigure& figure);
bool FindFrameFigure(const std::string& key, FrameFigure* figure);
