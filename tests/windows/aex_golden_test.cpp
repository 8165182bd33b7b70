// The cross-platform determinism check: the golden scenario rendered through the Windows
// plug-in must give the same frame bytes as the Linux build, case for case.
#include <cstdio>
#include <string>

#include "minihost/effect_host.h"
#include "tests/support/golden_scenario.h"
#include "tests/windows/check.h"
#include "tests/windows/wine_path.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: %s path/to/Fyrel.aex\n", argv[0]);
    return 2;
  }
  std::string error;
  // A fresh load in a process of its own: the engine's state is as the module loads it.
  PF_EffectEntry entry = LoadEffectPlugin(WindowsPath(argv[1]), &error);
  if (!CHECK(entry != nullptr)) {
    std::printf("  %s\n", error.c_str());
    return check::Summary("aex_golden_test");
  }
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
