// Runs the tests with the plain loops as the flame engine, so that the effect's behaviour is
// checked on both engines.
#include <gtest/gtest.h>

#include "flame/flame_engine.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SelectFlameEngine(FlameEngine::kPlain);
  return RUN_ALL_TESTS();
}
