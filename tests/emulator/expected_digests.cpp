// SPDX-License-Identifier: GPL-2.0-or-later
// Prints the digests every build must render, from where the other builds' tests take them,
// one per line: "golden<TAB>case<TAB>digest" and "raw_host<TAB>sequence<TAB>digest". The CPU
// emulator's test reads them here, so that there is one copy of each.
#include <cstdio>

#include "tests/raw_host/expected_digests.h"
#include "tests/support/golden_scenario.h"

int main() {
  for (const GoldenCaseDigest& c : ExpectedGoldenDigests()) {
    std::printf("golden\t%s\t%s\n", c.name.c_str(), c.digest.c_str());
  }
  for (const RawHostDigest& s : kRawHostDigests) std::printf("raw_host\t%s\t%s\n", s.sequence, s.digest);
  return 0;
}
