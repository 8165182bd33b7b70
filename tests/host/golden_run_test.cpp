// The golden run: the shared scenario (a fixed source, 30 frames at 64 x 48 per case, the
// defaults first) through the effect's entry, every output byte folded into one digest per
// case. It needs a process in which nothing has rendered yet, so it is alone in its executable.
#include <gtest/gtest.h>

#include "host/effect_main.h"
#include "tests/support/golden_scenario.h"

TEST(GoldenRun, EveryCaseGivesItsDigest) {
  const std::vector<GoldenCaseDigest> results = RunGoldenScenario(EffectMain);
  const std::vector<GoldenCaseDigest>& expected = ExpectedGoldenDigests();
  ASSERT_EQ(results.size(), expected.size());
  ASSERT_EQ(results[0].name, "defaults");
  for (size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].name, expected[i].name);
    EXPECT_EQ(results[i].digest, expected[i].digest) << results[i].name;
  }
}
