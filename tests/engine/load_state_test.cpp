// The process-wide engine state as the module loads it. This runs in an executable of its
// own, so that no other test has touched the state first.
#include <gtest/gtest.h>

#include <cstring>

#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/preview_step.h"

namespace {

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(EngineLoadState, GeneratorAndPhasesStartAsLoaded) {
  EXPECT_EQ(FlameRandom::state, 1u);
  EXPECT_EQ(Bits(bandPhase), 0u);
  EXPECT_EQ(Bits(previewPhase), 0u);
  EXPECT_EQ(FlameRandom::Next(), 41);
}

}  // namespace
