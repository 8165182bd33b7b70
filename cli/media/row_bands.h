// SPDX-License-Identifier: GPL-2.0-or-later
// Work on a frame shared out by rows among the cores: work(first, end) is called for bands of
// [0, rows), each on a thread of its own and the last on the caller's. The Windows build,
// without std::thread in its thread model, does all of it on the caller's thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#if !defined(_WIN32)
#include <thread>

#include "cli/platform/interrupt_cleanup.h"
#endif

template <typename Work>
void InRowBands(int32_t rows, const Work& work) {
#if defined(_WIN32)
  work(0, rows);
#else
  const int32_t cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  // Bands of fewer than 16 rows are not worth a thread.
  const int32_t bands = std::max(1, std::min(cores, rows / 16));
  std::vector<std::thread> helpers;
  {
    const EndingSignalsBlocked blocked;  // the main thread handles them
    for (int32_t band = 0; band + 1 < bands; ++band) {
      helpers.emplace_back(work, rows * band / bands, rows * (band + 1) / bands);
    }
  }
  work(rows * (bands - 1) / bands, rows);
  for (std::thread& helper : helpers) helper.join();
#endif
}
