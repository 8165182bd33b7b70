// SPDX-License-Identifier: GPL-2.0-or-later
// The cross-platform determinism check: the golden scenario rendered through the Windows
// plug-in must give the same frame bytes as the Linux build, case for case.
#include <cstdio>
#include <string>

#include "minihost/effect_host.h"
#include "tests/support/golden_scenario.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_argument.h"

int main(int argc, char** argv) {
  // A fresh load in a process of its own: the engine's state is as the module loads it.
  int exitCode = 0;
  PF_EffectEntry entry = LoadPluginArgument(argc, argv, "aex_golden_test", &exitCode);
  if (!entry) return exitCode;
  const std::vector<GoldenCaseDigest> actual = RunGoldenScenario(entry);
  const std::vector<GoldenCaseDigest>& expected = ExpectedGoldenDigests();
  if (CHECK_EQ(actual.size(), expected.size())) {
    for (size_t i = 0; i < expected.size(); ++i) {
      CHECK_STREQ(actual[i].name, expected[i].name);
      if (!CHECK_STREQ(actual[i].digest, expected[i].digest)) {
        std::printf("  case \"%s\" renders other bytes than the Linux build\n",
                    expected[i].name.c_str());
      }
    }
  }
  return check::Summary("aex_golden_test");
}
