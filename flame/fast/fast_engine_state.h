// SPDX-License-Identifier: GPL-2.0-or-later
// What the fast engine keeps in a fire's FlameState: how it may run, and working storage it
// reuses from step to step so that it need not build it again (the seeding's disc layout and
// cover patterns, the frame start's row copies). The storage changes only the speed, never a
// byte of output, so a copied state starts without it and builds its own when first used.
// The seeding's part is made and dropped in fast_seeding.cpp, where its type is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace fastflame {

class DiscSeedingPlan;  // fast_seeding.h

class FastCaches {
 public:
  FastCaches();
  ~FastCaches();
  FastCaches(const FastCaches&) : FastCaches() {}
  FastCaches& operator=(const FastCaches&) { return *this; }  // keeps its own storage
  FastCaches(FastCaches&&) noexcept;
  FastCaches& operator=(FastCaches&&) noexcept;

  // The seeding's plan with its layout and patterns, made at first use; null when it could
  // not be had (out of memory).
  DiscSeedingPlan* Seeding();
  // Three rows of `columns` bytes; null when they could not be had.
  uint8_t* RowCopies(int columns) {
    const size_t size = static_cast<size_t>(columns) * 3;
    if (rowCopies_.size() < size) {
      try {
        rowCopies_.resize(size);
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
    }
    return rowCopies_.data();
  }

 private:
  std::unique_ptr<DiscSeedingPlan> seeding_;
  std::vector<uint8_t> rowCopies_;
};

struct FastEngineState {
  bool sse2Only = false;           // keep to 16-byte vectors where 32-byte ones are there
  bool directSeedingOnly = false;  // seed disc by disc, never from cover patterns
  FastCaches caches;
};

}  // namespace fastflame
