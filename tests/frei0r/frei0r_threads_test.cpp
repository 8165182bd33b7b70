// SPDX-License-Identifier: GPL-2.0-or-later
// One filter instance updated from several threads at once, as a host that slices each frame
// into bands does: built with the thread sanitizer over the filter's own code, so that two
// calls on one instance that are not taken one at a time end the test with its report.
#include <gtest/gtest.h>

#include "frei0r/frei0r_api.h"

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

TEST(Frei0rThreads, OneInstanceUpdatedFromSeveralThreadsAtOnce) {
  constexpr unsigned kWidth = 40, kBand = 12, kBands = 4, kUpdates = 24;
  ASSERT_EQ(f0r_init(), 1);
  f0r_instance_t instance = f0r_construct(kWidth, kBand);
  ASSERT_NE(instance, nullptr);
  std::vector<uint32_t> in(kWidth * kBand * kBands, 0xFF000000u), out(in.size(), 0);
  std::vector<std::thread> threads;
  for (unsigned band = 0; band < kBands; ++band) {
    threads.emplace_back([&, band] {
      const size_t offset = size_t{band} * kWidth * kBand;
      for (unsigned k = 0; k < kUpdates; ++k) {
        double height = (k % 7) / 7.0;
        f0r_set_param_value(instance, &height, 1);
        f0r_get_param_value(instance, &height, 1);
        f0r_update(instance, k / 25.0, in.data() + offset, out.data() + offset);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  f0r_destruct(instance);
  f0r_deinit();
  // Every band was written: the fire burns in each.
  for (unsigned band = 0; band < kBands; ++band) {
    const auto first = out.begin() + band * kWidth * kBand;
    EXPECT_NE(std::count(first, first + kWidth * kBand, 0u), kWidth * kBand) << band;
  }
}
