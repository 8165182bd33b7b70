// SPDX-License-Identifier: GPL-2.0-or-later
// The host tests' main: with --engine=plain the process's fire runs the plain loops, so that
// the effect's behaviour is checked on both engines by one program.
#include <gtest/gtest.h>

#include <cstring>

#include "host/effect_main.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--engine=plain") == 0) {
      ProcessEffectInstance().flame.engine = FlameEngine::kPlain;
    }
  }
  return RUN_ALL_TESTS();
}
