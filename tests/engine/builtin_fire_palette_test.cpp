// SPDX-License-Identifier: GPL-2.0-or-later
// The built-in fire gradient against a table generated from its range rules.
#include <gtest/gtest.h>

#include <array>

#include "flame/flame_palette.h"
#include "reference_palette.h"

namespace {

TEST(BuiltinFirePalette, EveryByteFollowsTheRangeRules) {
  const reference::BuiltinLevels levels;
  const char* names[3] = {"red", "green", "blue"};
  for (int e = 0; e < 256; ++e)
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(BuiltinFirePalette[e][c], 4 * levels.level[e][c])
          << "entry " << e << " " << names[c];
}

TEST(BuiltinFirePalette, LandmarksAndLevels) {
  auto rgb = [](int e) {
    return std::array<int, 3>{BuiltinFirePalette[e][0], BuiltinFirePalette[e][1],
                              BuiltinFirePalette[e][2]};
  };
  EXPECT_EQ(rgb(0), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(rgb(187), (std::array<int, 3>{252, 252, 0}));
  EXPECT_EQ(rgb(255), (std::array<int, 3>{252, 252, 252}));
  for (int e = 0; e < 256; ++e)
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(BuiltinFirePalette[e][c] % 4, 0);
      if (c == 0) {
        EXPECT_NE(BuiltinFirePalette[e][c], 62 * 4);
      }
    }
  for (int e = 1; e <= 7; ++e) {
    EXPECT_EQ(BuiltinFirePalette[e][0], 0);
    EXPECT_GT(BuiltinFirePalette[e][2], 0);
  }
}

}  // namespace
