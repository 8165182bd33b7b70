// SPDX-License-Identifier: GPL-2.0-or-later
// The direction pass: the worked examples, every direction code against the table-driven
// model, the cooling rule's edges and grids too small to have an interior.
#include <gtest/gtest.h>

#include <vector>

#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "reference_flame.h"
#include "tests/support/engine_passes.h"

namespace {

using reference::Grid;

// Values y * columns + x scaled so that every cell differs and the three cooling branches
// (above height, above soot, at or below soot) all occur.
Grid DistinctGrid(int columns, int rows) {
  Grid g(size_t(columns) * rows);
  for (size_t i = 0; i < g.size(); ++i) g[i] = static_cast<uint8_t>(5 + 8 * i);
  return g;
}

const Grid kUniformAfterUp = {100, 100, 96, 96, 100,  //
                              100, 100, 96, 96, 100,  //
                              100, 87,  87, 87, 100,  //
                              100, 100, 100, 100, 100};
const Grid kUniformAfterDown = {100, 100, 100, 100, 100,  //
                                100, 87,  87,  87,  100,  //
                                100, 100, 96,  96,  100,  //
                                100, 100, 96,  96,  100};

TEST(DirectionPass, UniformFiveByFourUpAndDown) {
  FlameState state;
  // Every cell is above "Height", so the jitter plays no part: any value gives these grids.
  for (uint32_t jitter : {0u, 1u, 38u, 32767u}) {
    Grid up(20, 100);
    FlameDirectionPass(state, up.data(), 5, 4, 13, 1, jitter, kFlameUp);
    EXPECT_EQ(up, kUniformAfterUp) << "jitter " << jitter;
    Grid down(20, 100);
    FlameDirectionPass(state, down.data(), 5, 4, 13, 1, jitter, kFlameDown);
    EXPECT_EQ(down, kUniformAfterDown) << "jitter " << jitter;
  }
}

TEST(DirectionPass, UniformFiveByFourThroughTheRenderStep) {
  FlameState state;
  // With an empty mask the seeding writes nothing, and with "Drop" off only the pass remains.
  const Grid mask(20, 0), drops(20, 0);
  for (int code : {kFlameUp, kFlameDown}) {
    Grid field(20, 100);
    state.random.Seed(0);
    state.bandPhase = 0.0f;
    StepFlameField(state, field.data(), mask.data(), drops.data(), 5, 4, 13, 1, 40, 12, code, 0,
                   100);
    EXPECT_EQ(field, code == kFlameUp ? kUniformAfterUp : kUniformAfterDown) << "code " << code;
  }
}

TEST(DirectionPass, HandWorkedRightAndDownLeft) {
  FlameState state;
  // Code 6 on 4 x 3: columns visited 2 then 1, N + S + W summed, the average lands east.
  Grid right = {10, 20, 30, 40,  //
                50, 60, 70, 80,  //
                90, 100, 110, 120};
  FlameDirectionPass(state, right.data(), 4, 3, 50, 5, 0, kFlameRight);
  // (1,2): 70+30+110+60 = 270 -> 67 to (1,3), 70 cools to 20;
  // (1,1): 60+20+100+50 = 230 -> 57 to (1,2), 60 cools to 10.
  EXPECT_EQ(right, (Grid{10, 20, 30, 40, 50, 10, 57, 67, 90, 100, 110, 120}));

  // Code 1 on 3 x 4: rows visited 2 then 1, N + E + W summed, the average lands at (y+1, x-1).
  Grid downLeft = {10, 20, 30,   //
                   40, 50, 60,   //
                   70, 80, 90,   //
                   100, 110, 120};
  FlameDirectionPass(state, downLeft.data(), 3, 4, 60, 10, 3, kFlameDownLeft);
  // (2,1): 80+50+90+70 = 290 -> 72 to (3,0), 80 > 60 cools to 20;
  // (1,1): 50+20+60+40 = 170 -> 42 to (2,0), 50 is at most 60 and above 10: loses 3 mod 11.
  EXPECT_EQ(downLeft, (Grid{10, 20, 30, 40, 47, 60, 42, 20, 90, 72, 110, 120}));
}

struct CoolingCase {
  int height, soot;
  uint32_t jitter;
};

TEST(DirectionPass, EveryCodeMatchesTheTableModel) {
  FlameState state;
  const CoolingCase cases[] = {{100, 20, 7}, {0, 0, 12345}, {255, 254, 1000}, {30, 200, 32767},
                               {13, 13, 6}};
  for (int code = 0; code < 8; ++code) {
    for (const CoolingCase& c : cases) {
      for (auto [columns, rows] : {std::pair{6, 5}, std::pair{3, 3}, std::pair{9, 4}}) {
        Grid actual = DistinctGrid(columns, rows);
        Grid expected = actual;
        FlameDirectionPass(state, actual.data(), columns, rows, c.height, c.soot, c.jitter, code);
        reference::DirectionPass(expected, columns, rows, c.height, c.soot, c.jitter, code);
        EXPECT_EQ(actual, expected) << "code " << code << " height " << c.height << " soot "
                                    << c.soot << " grid " << columns << "x" << rows;
      }
    }
  }
}

TEST(DirectionPass, UpNeverWritesLastRowAndDownNeverWritesRowZero) {
  FlameState state;
  const int columns = 6, rows = 5;
  Grid up = DistinctGrid(columns, rows), down = up;
  const Grid before = up;
  FlameDirectionPass(state, up.data(), columns, rows, 100, 20, 7, kFlameUp);
  FlameDirectionPass(state, down.data(), columns, rows, 100, 20, 7, kFlameDown);
  for (int x = 0; x < columns; ++x) {
    EXPECT_EQ(up[(rows - 1) * columns + x], before[(rows - 1) * columns + x]);
    EXPECT_EQ(down[x], before[x]);
  }
  bool upReachedRowZero = false, downReachedLastRow = false;
  for (int x = 1; x < columns - 1; ++x) {
    upReachedRowZero |= up[x] != before[x];
    downReachedLastRow |= down[(rows - 1) * columns + x] != before[(rows - 1) * columns + x];
  }
  EXPECT_TRUE(upReachedRowZero);
  EXPECT_TRUE(downReachedLastRow);
}

// A 3 x 3 grid has one interior cell; with code 4 nothing writes it after it is cooled, so
// its value after the pass is the cooling rule's result, and (0,1) receives v / 4.
uint8_t CoolCentre(uint8_t v, int height, int soot, uint32_t jitter) {
  FlameState state;
  Grid g(9, 0);
  g[4] = v;
  FlameDirectionPass(state, g.data(), 3, 3, height, soot, jitter, kFlameUp);
  EXPECT_EQ(g[1], v >> 2);
  return g[4];
}

TEST(DirectionPass, CoolingRuleEdges) {
  // Equal to "Height": not reduced by it, loses the jitter remainder instead (7 mod 6 = 1).
  EXPECT_EQ(CoolCentre(13, 13, 5, 7), 12);
  EXPECT_EQ(CoolCentre(14, 13, 5, 7), 1);
  // At or below "Soot": never cooled, whatever the jitter.
  EXPECT_EQ(CoolCentre(5, 13, 5, 5), 5);
  EXPECT_EQ(CoolCentre(6, 13, 5, 5), 1);
  EXPECT_EQ(CoolCentre(200, 255, 200, 199), 200);
  // A jitter that is a multiple of soot + 1 costs nothing.
  EXPECT_EQ(CoolCentre(13, 13, 5, 12), 13);
  // "Soot" 0: the remainder is always 0.
  EXPECT_EQ(CoolCentre(9, 13, 0, 32767), 9);
  // "Height" 0 and a cold cell: nothing to take.
  EXPECT_EQ(CoolCentre(0, 0, 0, 3), 0);
  EXPECT_EQ(CoolCentre(255, 0, 0, 3), 255);
  // The shared helper agrees.
  EXPECT_EQ(CoolFlameCell(13, 13, 5, 7), 12);
  EXPECT_EQ(CoolFlameCell(5, 13, 5, 5), 5);
  EXPECT_EQ(CoolFlameCell(255, 254, 0, 9), 1);
}

TEST(DirectionPass, RenderStepCoolsWithItsFirstDraw) {
  FlameState state;
  // The step's jitter is the first Next() after the state it finds: 38 after Seed(0),
  // so a cell equal to "Height" 13 with "Soot" 5 loses 38 mod 6 = 2.
  const Grid mask(9, 0), drops(9, 0);
  Grid field(9, 0);
  field[4] = 13;
  state.random.Seed(0);
  state.bandPhase = 0.0f;
  StepFlameField(state, field.data(), mask.data(), drops.data(), 3, 3, 13, 5, 40, 12, kFlameUp, 0,
                 10);
  EXPECT_EQ(field[4], 11);
  // From state 1 the draw is 41: 41 mod 6 = 5.
  field.assign(9, 0);
  field[4] = 13;
  state.random.state = 1;
  StepFlameField(state, field.data(), mask.data(), drops.data(), 3, 3, 13, 5, 40, 12, kFlameUp, 0,
                 10);
  EXPECT_EQ(field[4], 8);
}

TEST(DirectionPass, GridsWithoutInteriorAreLeftAlone) {
  FlameState state;
  for (auto [columns, rows] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{2, 7},
                               std::pair{7, 2}, std::pair{1, 9}, std::pair{9, 1}}) {
    const Grid before = DistinctGrid(columns, rows);
    const Grid mask(before.size(), 255), drops(before.size(), 0);
    for (int code = 0; code < 8; ++code) {
      Grid field = before;
      FlameDirectionPass(state, field.data(), columns, rows, 0, 0, 0, code);
      EXPECT_EQ(field, before) << columns << "x" << rows << " code " << code;
      // The whole render step: no pass, and no interior for the discs to seed.
      state.random.Seed(0);
      state.bandPhase = 0.0f;
      StepFlameField(state, field.data(), mask.data(), drops.data(), columns, rows, 0, 0, 40, 50,
                     code,
                     0, 50);
      EXPECT_EQ(field, before) << columns << "x" << rows << " code " << code;
    }
  }
}

}  // namespace
