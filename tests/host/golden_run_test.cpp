// SPDX-License-Identifier: GPL-2.0-or-later
// The golden run: the shared scenario (a fixed source, 30 frames at 64 x 48 per case, the
// defaults first), every output byte folded into one digest per case. Through the effect's
// entry it needs a process in which nothing has rendered yet, so it is alone in its
// executable; on fresh instances of the effect it runs on both engines.
#include <gtest/gtest.h>

#include "host/effect_main.h"
#include "tests/support/golden_scenario.h"

namespace {

void ExpectGoldenDigests(const std::vector<GoldenCaseDigest>& results) {
  const std::vector<GoldenCaseDigest>& expected = ExpectedGoldenDigests();
  ASSERT_EQ(results.size(), expected.size());
  ASSERT_EQ(results[0].name, "defaults");
  for (size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].name, expected[i].name);
    EXPECT_EQ(results[i].digest, expected[i].digest) << results[i].name;
  }
}

TEST(GoldenRun, EveryCaseGivesItsDigestThroughTheEntry) {
  ExpectGoldenDigests(RunGoldenScenario(EffectMain));
}

TEST(GoldenRun, EveryCaseGivesItsDigestOnAFreshInstanceOfEitherEngine) {
  for (FlameEngine engine : {FlameEngine::kFast, FlameEngine::kPlain}) {
    SCOPED_TRACE(engine == FlameEngine::kFast ? "fast engine" : "plain engine");
    EffectInstance instance;
    instance.flame.engine = engine;
    ExpectGoldenDigests(RunGoldenScenario(instance));
  }
}

}  // namespace
