// SPDX-License-Identifier: GPL-2.0-or-later
// A render told step by step on buffers of the test's own: the source mask built from the
// source layer, the drop pass, the reset's reseeding and an explicit number of field steps,
// using only the engine's passes. Renders through the entry are held against it, so that the
// render's bookkeeping (reset, warm-up, step credit, direction) is checked from outside.
#pragma once

#include <cstdint>
#include <vector>

#include "flame/flame_field.h"
#include "flame/flame_palette.h"
#include "flame/flame_state.h"
#include "flame/heat_colour.h"
#include "flame/render_flame.h"
#include "host/host_interface.h"
#include "tests/host/host_test_support.h"
#include "tests/support/engine_passes.h"

namespace hosttest {

// The oracle's passes run the plain loops on the fire's generator and band phase, whichever
// engine the render under test uses.
class PlainEngineScope {
 public:
  explicit PlainEngineScope(FlameState& fire) : fire_(fire), previous_(fire.engine) {
    fire.engine = FlameEngine::kPlain;
  }
  ~PlainEngineScope() { fire_.engine = previous_; }
  PlainEngineScope(const PlainEngineScope&) = delete;
  PlainEngineScope& operator=(const PlainEngineScope&) = delete;

 private:
  FlameState& fire_;
  FlameEngine previous_;
};

// The default shape values of the parameters.
struct Shape {
  int height = 13, soot = 1, width = 41, amplitude = 12, velocity = 45;
  int drop = 1;
  bool invert = true;
};

// Its passes take the generator and band phase of `fire`, the process's fire by default.
struct OracleFlame {
  int stride, rows;
  std::vector<uint8_t> mask, field, drops;
  FlameState& fire;

  OracleFlame(int stride_, int rows_, FlameState& fire_ = Fire())
      : stride(stride_),
        rows(rows_),
        mask(static_cast<size_t>(stride_) * rows_),
        field(mask.size()),
        drops(mask.size()),
        fire(fire_) {}

  // The mask's interior from the source, read by the source's own stride; transparent pixels
  // and pixels the source does not have leave their cells.
  void BuildMask(const std::vector<PF_Pixel>& source, int sourceWidth, int sourceHeight,
                 int sourceStride, bool invert) {
    for (int y = 2; y <= rows - 3 && y < sourceHeight; ++y) {
      for (int x = 2; x <= stride - 3 && x < sourceWidth; ++x) {
        const PF_Pixel& p = source[static_cast<size_t>(y) * sourceStride + x];
        if (p.alpha == 0) continue;
        int m = p.red;
        if (p.green > m) m = p.green;
        if (p.blue > m) m = p.blue;
        mask[static_cast<size_t>(y) * stride + x] = static_cast<uint8_t>(invert ? 255 - m : m);
      }
    }
  }

  void Steps(int count, const Shape& s, int direction) {
    const PlainEngineScope plain(fire);
    for (int i = 0; i < count; ++i) {
      StepFlameField(fire, field.data(), mask.data(), drops.data(), stride, rows, s.height, s.soot,
                     s.width, s.amplitude, direction, s.drop, s.velocity);
    }
  }

  // One render: mask, drop pass, then (at a reset) the reseeding, then `steps` steps.
  void Render(const std::vector<PF_Pixel>& source, int sourceWidth, int sourceHeight,
              const Shape& s, int direction, bool reset, int steps) {
    BuildMask(source, sourceWidth, sourceHeight, sourceWidth, s.invert);
    if (s.drop) {
      const PlainEngineScope plain(fire);
      ScatterDrops(fire, stride, rows, mask.data(), drops.data());
    }
    if (reset) fire.random.Seed(0);
    Steps(steps, s, direction);
  }
};

// The colour table of the built-in palette, filled here from the palette itself.
inline FlameColorTable BuiltinTable() {
  FlameColorTable table{};
  for (int k = 0; k < 256; ++k) {
    table.entries[k][kEntryBlue] = BuiltinFirePalette[k][2];
    table.entries[k][kEntryGreen] = BuiltinFirePalette[k][1];
    table.entries[k][kEntryRed] = BuiltinFirePalette[k][0];
    table.entries[k][kEntryZero] = 0;
  }
  return table;
}

}  // namespace hosttest
