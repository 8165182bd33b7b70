// SPDX-License-Identifier: GPL-2.0-or-later
// The drop buffer: the overlay threshold, the block geometry, the cap of 200 and the fall.
#include <gtest/gtest.h>

#include <algorithm>

#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "reference_flame.h"
#include "tests/support/engine_passes.h"

namespace {

using reference::Grid;

TEST(DropOverlay, OnlyValuesAbove20ReachTheFieldBordersIncluded) {
  FlameState state;
  const int columns = 6, rows = 5;
  Grid drops(columns * rows, 0);
  drops[0] = 20;                         // corner: stays out
  drops[columns * rows - 1] = 21;        // opposite corner: comes in
  drops[2 * columns + 3] = 200;          // interior
  drops[4 * columns + 2] = 30;           // last row, lower than the field there
  Grid field(columns * rows, 0);
  field[4 * columns + 2] = 250;
  OverlayFlameDrops(state, field.data(), drops.data(), columns, rows);
  EXPECT_EQ(field[0], 0);
  EXPECT_EQ(field[columns * rows - 1], 21);
  EXPECT_EQ(field[2 * columns + 3], 200);
  EXPECT_EQ(field[4 * columns + 2], 30);  // the drop value replaces, it does not only raise
  EXPECT_EQ(std::count(field.begin(), field.end(), 0), columns * rows - 3);
}

TEST(DropOverlay, RenderStepStampsDropsLastAndOnlyWhenOn) {
  FlameState state;
  const int columns = 6, rows = 5;
  const Grid mask(columns * rows, 0);
  Grid drops(columns * rows, 0);
  drops[0] = 20;
  drops[columns * rows - 1] = 21;
  drops[2 * columns + 3] = 90;
  for (int drop : {0, 1}) {
    Grid field(columns * rows, 0);
    // A cold field stays cold through the pass; the stamp then lands unchanged.
    state.random.Seed(0);
    state.bandPhase = 0.0f;
    StepFlameField(state, field.data(), mask.data(), drops.data(), columns, rows, 0, 0, 40, 12,
                   kFlameUp, drop, 10);
    EXPECT_EQ(field[0], 0);
    EXPECT_EQ(field[columns * rows - 1], drop ? 21 : 0);
    EXPECT_EQ(field[2 * columns + 3], drop ? 90 : 0);
  }
}

TEST(ScatterDrops, BlockGeometryOf640By480) {
  FlameState state;
  // bw 13, nbx 49, bh 17, nby 28. After Seed(0) the four blocks land at (x0, y0) =
  // (13 x (38 mod 49), 17 x (7719 mod 28)) = (494, 323), (273, 17), (455, 153), (455, 17).
  const int columns = 640, rows = 480;
  const Grid mask(columns * rows, 255);
  Grid drops(columns * rows, 0);
  state.random.Seed(0);
  ScatterDrops(state, columns, rows, mask.data(), drops.data());
  auto at = [&](int y, int x) { return int(drops[y * columns + x]); };
  // Down column 500 of the first block (rows 323..339): after the fall one row lower, its
  // top row is reached only from above the block and its lower edge spills into row 341.
  EXPECT_EQ(at(323, 500), 0);
  EXPECT_EQ(at(324, 500), 150);
  for (int y = 325; y <= 340; ++y) EXPECT_EQ(at(y, 500), 200) << "row " << y;
  EXPECT_EQ(at(341, 500), 50);
  EXPECT_EQ(at(342, 500), 0);
  // Across row 340: columns 494..506 are the block's 13.
  EXPECT_EQ(at(340, 492), 0);
  EXPECT_EQ(at(340, 493), 50);
  EXPECT_EQ(at(340, 494), 150);
  EXPECT_EQ(at(340, 495), 200);
  EXPECT_EQ(at(340, 505), 200);
  EXPECT_EQ(at(340, 506), 150);
  EXPECT_EQ(at(340, 507), 50);
  EXPECT_EQ(at(340, 508), 0);
  // The third block needs nbx = 49: 8855 mod 49 = 35.
  EXPECT_EQ(at(170, 460), 200);
  EXPECT_EQ(at(170, 454), 50);
  EXPECT_EQ(at(170, 468), 50);
  EXPECT_EQ(at(34, 460), 200);   // fourth block
  EXPECT_EQ(at(34, 280), 200);   // second block
  EXPECT_EQ(*std::max_element(drops.begin(), drops.end()), 200);
}

TEST(ScatterDrops, BlocksOnRowTwoStayAndKeepFeeding) {
  FlameState state;
  // From state 12 the first block has y0 = 0 and x0 = 364: rows 2..16 of columns 364..376.
  const int columns = 640, rows = 480;
  const Grid mask(columns * rows, 255), noMask(columns * rows, 0);
  Grid drops(columns * rows, 0);
  state.random.state = 12;
  ScatterDrops(state, columns, rows, mask.data(), drops.data());
  auto at = [&](int y, int x) { return int(drops[y * columns + x]); };
  EXPECT_EQ(at(1, 370), 0);
  EXPECT_EQ(at(2, 370), 200);
  EXPECT_EQ(at(3, 370), 150);
  EXPECT_EQ(at(4, 370), 200);
  // Later passes without a source: row 2 keeps its heat and row 3 is refilled from it.
  ScatterDrops(state, columns, rows, noMask.data(), drops.data());
  EXPECT_EQ(at(2, 370), 200);
  EXPECT_EQ(at(3, 370), 150);
  EXPECT_EQ(at(4, 370), (200 + 3 * 150) >> 2);
  for (int pass = 0; pass < 20; ++pass)
    ScatterDrops(state, columns, rows, noMask.data(), drops.data());
  EXPECT_EQ(at(2, 370), 200);
  EXPECT_EQ(at(3, 370), 150);
}

TEST(ScatterDrops, NeverAbove200AndOnlyRaises) {
  FlameState state;
  const int columns = 97, rows = 61;
  const Grid mask(columns * rows, 255);
  Grid drops(columns * rows, 0);
  state.random.Seed(0);
  for (int pass = 0; pass < 30; ++pass) {
    ScatterDrops(state, columns, rows, mask.data(), drops.data());
    ASSERT_LE(*std::max_element(drops.begin(), drops.end()), 200) << "pass " << pass;
  }
  // Row 2 is reached by blocks but not by the fall: there every cell only rises, to the
  // mask value at most 200, and a mask darker than the buffer changes nothing.
  Grid preset(columns * rows), varied(columns * rows);
  for (size_t i = 0; i < preset.size(); ++i) {
    preset[i] = static_cast<uint8_t>(100 + i % 101);
    varied[i] = static_cast<uint8_t>((i * 37) % 256);
  }
  const Grid dark(columns * rows, 50);
  Grid after = preset;
  state.random.Seed(0);
  ScatterDrops(state, columns, rows, dark.data(), after.data());
  EXPECT_TRUE(std::equal(preset.begin(), preset.begin() + 3 * columns, after.begin()));
  after = preset;
  for (int pass = 0; pass < 10; ++pass) ScatterDrops(state, columns, rows, varied.data(),
                                                     after.data());
  int raised = 0;
  for (int x = 0; x < columns; ++x) {
    const int i = 2 * columns + x;
    EXPECT_GE(after[i], preset[i]);
    EXPECT_LE(after[i], std::max<int>(preset[i], std::min<int>(varied[i], 200)));
    raised += after[i] != preset[i];
  }
  EXPECT_GT(raised, 0);
}

TEST(ScatterDrops, MatchesThePlainModel) {
  FlameState state;
  struct Size {
    int columns, rows;
  };
  for (Size s : {Size{640, 480}, Size{97, 61}, Size{7, 5}, Size{3, 4}, Size{1, 1}, Size{50, 3},
                 Size{151, 91}}) {
    Grid mask(size_t(s.columns) * s.rows), drops(mask.size());
    for (size_t i = 0; i < mask.size(); ++i) {
      mask[i] = static_cast<uint8_t>((i * 37) % 256);
      drops[i] = static_cast<uint8_t>((i * 11) % 201);
    }
    Grid expected = drops;
    reference::Random random{777};
    state.random.state = 777;
    for (int pass = 0; pass < 3; ++pass) {
      ScatterDrops(state, s.columns, s.rows, mask.data(), drops.data());
      reference::ScatterDrops(s.columns, s.rows, mask, expected, random);
    }
    EXPECT_EQ(drops, expected) << s.columns << "x" << s.rows;
    EXPECT_EQ(state.random.state, random.state) << s.columns << "x" << s.rows;
  }
}

}  // namespace
