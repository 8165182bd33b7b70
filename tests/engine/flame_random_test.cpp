// SPDX-License-Identifier: GPL-2.0-or-later
// The generator: its known runs after a reseed and from the state it has at load; and a fire's
// state as a freshly loaded library has it.
#include <gtest/gtest.h>

#include "flame/flame_random.h"
#include "flame/flame_state.h"
#include "float_bits.h"

namespace {

TEST(FlameRandom, FirstFiveAfterSeedZero) {
  FlameRandom random;
  random.Seed(0);
  EXPECT_EQ(random.state, 0u);
  const int expected[] = {38, 7719, 21238, 2437, 8855};
  for (int value : expected) EXPECT_EQ(random.Next(), value);
}

TEST(FlameRandom, StateWrapsModulo2To32AndResultHas15Bits) {
  FlameRandom random{0xFFFFFFFFu};
  const int value = random.Next();
  const uint32_t expected = 0xFFFFFFFFu * 214013u + 2531011u;
  EXPECT_EQ(random.state, expected);
  EXPECT_EQ(value, static_cast<int>((expected >> 16) & 0x7FFF));
  random.Seed(0);
  for (int i = 0; i < 1000; ++i) {
    const int v = random.Next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
}

TEST(FlameState, StartsAsTheLibraryLoadsIt) {
  FlameState state;
  EXPECT_EQ(state.random.state, 1u);
  EXPECT_EQ(FloatBits(state.bandPhase), 0u);
  EXPECT_EQ(FloatBits(state.previewPhase), 0u);
  EXPECT_TRUE(state.resetPending);
  EXPECT_EQ(FloatBits(state.stepCredit), 0u);
  EXPECT_EQ(state.stepIncrement, 1.0f);
  EXPECT_EQ(state.engine, FlameEngine::kFast);
  EXPECT_EQ(state.random.Next(), 41);
}

}  // namespace
