// SPDX-License-Identifier: GPL-2.0-or-later
// The clock every figure of the benchmark is taken with: the CPU time of this process. The
// machine may be busy with other work; wall time would count the time this process waits.
#pragma once

#include <ctime>

inline double BenchSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
