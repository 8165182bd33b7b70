// The process-wide engine state as the module loads it. This runs in an executable of its
// own, so that no other test has touched the state first.
#include <gtest/gtest.h>

#include <cstring>

#include "float_bits.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/preview_step.h"

namespace {

TEST(EngineLoadState, GeneratorAndPhasesStartAsLoaded) {
  EXPECT_EQ(FlameRandom::state, 1u);
  EXPECT_EQ(FloatBits(bandPhase), 0u);
  EXPECT_EQ(FloatBits(previewPhase), 0u);
  EXPECT_EQ(FlameRandom::Next(), 41);
}

}  // namespace
