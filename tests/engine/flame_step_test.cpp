// SPDX-License-Identifier: GPL-2.0-or-later
// The whole render step against the plain model: jitter draw, direction pass, seeding and
// overlay in that order, over many steps of every direction with drops on and off.
#include <gtest/gtest.h>

#include <cstring>

#include "float_bits.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "reference_flame.h"
#include "tests/support/engine_passes.h"

namespace {

using reference::Grid;

TEST(FlameStep, ManyStepsMatchThePlainModel) {
  FlameState state;
  const int columns = 61, rows = 47;
  Grid mask(columns * rows);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x)
      mask[y * columns + x] = ((x * x + y) % 5 == 0) ? 0 : static_cast<uint8_t>(40 + x * y);
  Grid field(columns * rows, 0), drops(columns * rows, 0);
  Grid expectedField = field, expectedDrops = drops;
  reference::Random random{1};
  float phase = 0.25f;
  state.random.state = 1;
  state.bandPhase = 0.25f;
  for (int step = 0; step < 48; ++step) {
    const reference::StepParams p{step % 9 * 3, step % 4, 5 + step * 5 % 60, 10 + step % 30,
                                  step % 8,     step / 8 % 2, 20 + step * 4};
    if (p.drop) {
      ScatterDrops(state, columns, rows, mask.data(), drops.data());
      reference::ScatterDrops(columns, rows, mask, expectedDrops, random);
    }
    StepFlameField(state, field.data(), mask.data(), drops.data(), columns, rows, p.height, p.soot,
                   p.width, p.amplitude, p.direction, p.drop, p.velocity);
    reference::Step(expectedField, mask, expectedDrops, columns, rows, p, phase, random);
    ASSERT_EQ(field, expectedField) << "step " << step;
    ASSERT_EQ(drops, expectedDrops) << "step " << step;
    ASSERT_EQ(state.random.state, random.state) << "step " << step;
    ASSERT_EQ(FloatBits(state.bandPhase), FloatBits(phase)) << "step " << step;
  }
}

TEST(FlameStep, ZeroWidthAndExtremeParametersStayInRange) {
  FlameState state;
  // "Width" 0 makes every band and disc 2 wide; "Soot" 255 divides by 256. Nothing may wrap.
  const int columns = 20, rows = 15;
  const Grid mask(columns * rows, 255), drops(columns * rows, 0);
  for (int soot : {0, 255}) {
    Grid field(columns * rows, 0), expected = field;
    reference::Random random{99};
    float phase = 0.0f;
    state.random.state = 99;
    state.bandPhase = 0.0f;
    for (int step = 0; step < 5; ++step) {
      const reference::StepParams p{255, soot, 0, 255, step % 8, 0, 255};
      StepFlameField(state, field.data(), mask.data(), drops.data(), columns, rows, p.height,
                     p.soot,
                     p.width, p.amplitude, p.direction, p.drop, p.velocity);
      reference::Step(expected, mask, drops, columns, rows, p, phase, random);
    }
    EXPECT_EQ(field, expected) << "soot " << soot;
  }
}

}  // namespace
