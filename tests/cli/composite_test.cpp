// SPDX-License-Identifier: GPL-2.0-or-later
// --composite over: the fire over its source with straight alpha, checked against values
// worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "cli/media/composite.h"

TEST(Composite, OverMatchesValuesWorkedOutByHand) {
  const std::vector<uint8_t> source = {
      9, 9, 9, 255,      // under an opaque flame
      10, 20, 30, 200,   // under no flame at all
      0, 0, 255, 255,    // opaque blue under a half-transparent flame
      0, 0, 255, 100,    // both partly transparent
      7, 7, 7, 0,        // nothing over nothing
  };
  std::vector<uint8_t> fire = {
      255, 128, 0, 255,
      0, 0, 0, 0,
      200, 100, 50, 128,
      255, 0, 0, 100,
      0, 0, 0, 0,
  };
  CompositeOver(source.data(), fire.data(), 5);
  const std::vector<uint8_t> expected = {
      255, 128, 0, 255,  // the fire hides the source
      10, 20, 30, 200,   // the source as it is
      // W = 128*255 + 255*127 = 65025; alpha 255; red 200*32640/65025 = 100.4,
      // green 50.2, blue (50*32640 + 255*32385)/65025 = 152.1
      100, 50, 152, 255,
      // W = 100*255 + 100*155 = 41000; alpha 160.8; red 255*25500/41000 = 158.6,
      // blue 255*15500/41000 = 96.4
      159, 0, 96, 161,
      0, 0, 0, 0,
  };
  EXPECT_EQ(fire, expected);
}
