// SPDX-License-Identifier: GPL-2.0-or-later
// The viewer's preview step: its seeded rows, the short grids, its phase, and whole grids
// against the plain model.
#include <gtest/gtest.h>

#include <cstring>

#include "float_bits.h"
#include "flame/flame_random.h"
#include "flame/preview_step.h"
#include "reference_flame.h"

namespace {

using reference::Grid;

Grid Varied(size_t size) {
  Grid g(size);
  for (size_t i = 0; i < size; ++i) g[i] = static_cast<uint8_t>((i * 53 + 7) % 256);
  return g;
}

const PreviewSettings kSettings{12.0f, 3.0f, 20.0f, 40.0f, 60};

void ExpectSeedRowsBinaryAndEqual(const Grid& cells, int columns) {
  int hot = 0;
  for (int x = 0; x < columns; ++x) {
    const uint8_t v = cells[x];
    EXPECT_TRUE(v == 0 || v == 255) << "column " << x;
    EXPECT_EQ(cells[columns + x], v) << "column " << x;
    EXPECT_EQ(cells[2 * columns + x], v) << "column " << x;
    hot += v == 255;
  }
  EXPECT_GT(hot, 0);
  EXPECT_LT(hot, columns);
}

TEST(PreviewStep, SeedRowsHoldOnly0And255InAllThree) {
  FlameState state;
  const int columns = 50, rows = 20;
  Grid cells = Varied(columns * rows);
  state.random.Seed(0);
  state.previewPhase = 0.0f;
  for (int step = 0; step < 6; ++step) {
    StepPreviewField(state, columns, rows, cells.data(), kSettings);
    ExpectSeedRowsBinaryAndEqual(cells, columns);
  }
}

TEST(PreviewStep, ShortGridsGetNoAveraging) {
  FlameState state;
  // Three rows: everything is rewritten by the bands, so the old contents do not matter.
  const int columns = 40;
  Grid a = Varied(columns * 3), b(columns * 3, 0);
  state.random.Seed(0);
  state.previewPhase = 1.5f;
  StepPreviewField(state, columns, 3, a.data(), kSettings);
  state.random.Seed(0);
  state.previewPhase = 1.5f;
  StepPreviewField(state, columns, 3, b.data(), kSettings);
  EXPECT_EQ(a, b);
  ExpectSeedRowsBinaryAndEqual(a, columns);
  // Four rows: one averaging row, the fourth row takes the flat average from rows 1 and 2.
  Grid four = Varied(columns * 4);
  const Grid before = four;
  state.random.Seed(0);
  state.previewPhase = 1.5f;
  StepPreviewField(state, columns, 4, four.data(), kSettings);
  const int x = 5, i = 2 * columns + x;
  // Its west neighbour was cooled one visit earlier (jitter 38 after Seed(0)).
  const int west = reference::Cool(before[i - 1], 12, 3, 38);
  EXPECT_EQ(four[i + columns], (before[i - columns] + before[i + 1] + west + before[i]) >> 2);
}

TEST(PreviewStep, VelocityOnlyChangesHowFastThePhaseMoves) {
  FlameState state;
  const int columns = 64, rows = 24;
  PreviewSettings slow = kSettings, fast = kSettings;
  slow.velocity = 0;
  fast.velocity = 200;
  Grid a = Varied(columns * rows), b = a;
  state.random.Seed(0);
  state.previewPhase = 2.0f;
  StepPreviewField(state, columns, rows, a.data(), slow);
  EXPECT_EQ(state.previewPhase, 2.0f);
  state.random.Seed(0);
  state.previewPhase = 2.0f;
  StepPreviewField(state, columns, rows, b.data(), fast);
  EXPECT_EQ(a, b);  // this step's bands used the phase before it moved
  EXPECT_EQ(FloatBits(state.previewPhase),
            FloatBits(static_cast<float>(2.0 + 200 * double(0.002f))));
}

TEST(PreviewStep, PhaseAdvanceRoundsOnlyTheSum) {
  FlameState state;
  // 15 x 0.002f is kept in double and only the sum goes to single precision: 0.74f gives
  // 0.77000004f; rounding the product to single first would give 0.76999998f.
  Grid cells(30 * 10, 0);
  PreviewSettings settings = kSettings;
  settings.velocity = 15;
  state.previewPhase = 0.74f;
  StepPreviewField(state, 30, 10, cells.data(), settings);
  EXPECT_EQ(FloatBits(state.previewPhase), FloatBits(0.7700000405311584f));
}

TEST(PreviewStep, PhaseWrapsToZeroAbove10000) {
  FlameState state;
  const int columns = 30, rows = 10;
  Grid cells(columns * rows, 0);
  PreviewSettings settings = kSettings;
  settings.velocity = 255;
  state.previewPhase = 9999.9f;
  StepPreviewField(state, columns, rows, cells.data(), settings);
  EXPECT_EQ(FloatBits(state.previewPhase), 0u);
}

TEST(PreviewStep, MatchesThePlainModel) {
  FlameState state;
  const PreviewSettings cases[] = {{12.0f, 3.0f, 20.0f, 40.0f, 60},
                                   {0.0f, 0.0f, 1.0f, 0.0f, 0},
                                   {255.0f, 254.0f, 255.0f, 255.0f, 255},
                                   {30.7f, 5.9f, 38.5f, 12.2f, 17},
                                   {3.0f, 100.0f, 7.0f, 99.0f, 100}};
  for (int c = 0; c < 5; ++c) {
    const PreviewSettings& s = cases[c];
    for (auto [columns, rows] : {std::pair{64, 48}, std::pair{5, 3}, std::pair{9, 4},
                                 std::pair{1, 6}}) {
      Grid cells = Varied(size_t(columns) * rows), expected = cells;
      reference::Random random{4242};
      float phase = 0.75f;
      state.random.state = 4242;
      state.previewPhase = 0.75f;
      for (int step = 0; step < 8; ++step) {
        StepPreviewField(state, columns, rows, cells.data(), s);
        reference::PreviewStep(columns, rows, expected,
                               {s.height, s.soot, s.width, s.amplitude, s.velocity}, phase,
                               random);
      }
      EXPECT_EQ(cells, expected) << "case " << c << " grid " << columns << "x" << rows;
      EXPECT_EQ(state.random.state, random.state) << "case " << c;
      EXPECT_EQ(FloatBits(state.previewPhase), FloatBits(phase)) << "case " << c;
    }
  }
}

TEST(PreviewStep, ZeroWidthIsSurvived) {
  FlameState state;
  // A "Width" of 0 would divide by zero; the step still yields two-valued seed rows.
  const int columns = 32, rows = 12;
  Grid cells = Varied(columns * rows);
  PreviewSettings settings = kSettings;
  settings.width = 0.0f;
  state.random.Seed(0);
  state.previewPhase = 0.0f;
  StepPreviewField(state, columns, rows, cells.data(), settings);
  for (int x = 0; x < columns; ++x) {
    EXPECT_TRUE(cells[x] == 0 || cells[x] == 255);
    EXPECT_EQ(cells[columns + x], cells[x]);
    EXPECT_EQ(cells[2 * columns + x], cells[x]);
  }
}

}  // namespace
