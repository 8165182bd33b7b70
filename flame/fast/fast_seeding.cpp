// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/fast/fast_seeding.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "flame/fast/fast_engine_state.h"
#include "flame/fast/fast_flame.h"
#include "flame/fast/fast_row_kernels.h"
#include "flame/flame_random.h"
#include "flame/flame_sine.h"
#include "flame/plain/plain_flame.h"

namespace fastflame {
namespace {

// Patterns are kept while they fit in this many bytes together.
constexpr size_t kPatternBudget = size_t(32) << 20;
constexpr size_t kMostPatterns = 8;

DiscLayout BuildLayout(int width, int columns) {
  DiscLayout next;
  const uint32_t span = static_cast<uint32_t>(width + 1);
  FlameRandom random;
  random.Seed(0);
  next.rw = static_cast<int>(static_cast<uint32_t>(random.Next()) % span);
  if (next.rw == 0) next.rw = 2;
  for (int x = 1; x < columns;) {
    int rx = static_cast<int>(static_cast<uint32_t>(random.Next()) % span);
    if (rx == 0) rx = 2;
    next.discs.push_back({x, rx, next.rw < rx ? next.rw : rx});
    x += 2 * rx;
  }
  next.endRandom = random;
  next.start.assign(static_cast<size_t>(next.rw) + 1, 0);
  for (int r = 1; r <= next.rw; ++r) {
    next.start[r] = static_cast<int>(next.halfWidth.size());
    for (int dy = 0; dy < r; ++dy) {
      const int room = r * r - dy * dy;  // at least 1
      int h = static_cast<int>(std::sqrt(static_cast<double>(room)));
      while (h * h >= room) --h;
      while ((h + 1) * (h + 1) < room) ++h;
      next.halfWidth.push_back(static_cast<uint8_t>(h));
    }
  }
  const size_t patternBytes = static_cast<size_t>(2 * next.rw - 1) * static_cast<size_t>(columns);
  next.maxPatterns = patternBytes ? kPatternBudget / patternBytes : 0;
  if (next.maxPatterns > kMostPatterns) next.maxPatterns = kMostPatterns;
  next.patterns.reserve(next.maxPatterns);
  next.width = width;
  next.columns = columns;
  return next;
}

// The run of row dy (from the centre) that a disc covers with the window s1, s2: [lo, hi],
// empty when lo > hi.
inline void DiscRun(const DiscLayout& layout, const SeedDisc& disc, int dy, int s1, int s2,
                    int columns, int* lo, int* hi) {
  const int h = layout.halfWidth[layout.start[disc.radius] + (dy < 0 ? -dy : dy)];
  int first = disc.x - disc.rx + s2, last = disc.x + s1 - 1;
  if (first < disc.x - h) first = disc.x - h;
  if (last > disc.x + h) last = disc.x + h;
  if (first < 1) first = 1;
  if (last > columns - 2) last = columns - 2;
  *lo = first;
  *hi = last;
}

void BuildPattern(const DiscLayout& layout, CoverPattern& pattern, int s1, int s2) {
  const int C = layout.columns, RW = layout.rw;
  pattern.s1 = s1;
  pattern.s2 = s2;
  pattern.rows.assign(static_cast<size_t>(2 * RW - 1) * C, 0);
  uint8_t* centre = pattern.rows.data() + static_cast<size_t>(RW - 1) * C;
  for (const SeedDisc& disc : layout.discs) {
    for (int dy = 1 - disc.radius; dy < disc.radius; ++dy) {
      int lo, hi;
      DiscRun(layout, disc, dy, s1, s2, C, &lo, &hi);
      if (lo <= hi) std::memset(centre + static_cast<long>(dy) * C + lo, 0xFF, hi - lo + 1);
    }
  }
}

}  // namespace

bool DiscSeedingPlan::EnsureLayout(int width, int columns) {
  if (layout_.width == width && layout_.columns == columns) return true;
  try {
    layout_ = BuildLayout(width, columns);
  } catch (const std::bad_alloc&) {
    layout_ = DiscLayout();
    return false;
  }
  return true;
}

// The pattern for (s1, s2), made if need be; null when none can be had without dropping one
// that this plan already uses.
const uint8_t* DiscSeedingPlan::PatternFor(int s1, int s2) {
  DiscLayout& layout = layout_;
  CoverPattern* found = nullptr;
  for (CoverPattern& p : layout.patterns) {
    if (p.s1 == s1 && p.s2 == s2) found = &p;
  }
  if (!found) {
    if (layout.patterns.size() < layout.maxPatterns) {
      layout.patterns.emplace_back();
      found = &layout.patterns.back();
    } else {
      for (CoverPattern& p : layout.patterns) {
        if (p.lastPlan != planCount_ && (!found || p.lastPlan < found->lastPlan)) found = &p;
      }
      if (!found) return nullptr;
    }
    BuildPattern(layout, *found, s1, s2);
  }
  found->lastPlan = planCount_;
  return found->rows.data() + static_cast<size_t>(layout.rw - 1) * layout.columns;
}

bool DiscSeedingPlan::Plan(float& bandPhase, int columns, int rows, int width, int amplitude,
                           int velocity, bool wantCover) {
  columns_ = columns;
  rows_ = rows;
  hasCover_ = false;
  bands_.clear();
  if (rows <= 1) return true;  // no band: nothing is drawn and the phase stays
  if (!EnsureLayout(width, columns)) return false;
  rw_ = layout_.rw;
  int count = 0;
  for (int y = 1; y < rows; y = static_cast<int>(y + rw_ * 1.2)) ++count;
  try {
    bands_.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return false;
  }

  const float k = 0.01f;
  const int A = static_cast<int>(static_cast<double>(width) *
                                 (static_cast<double>(amplitude) * static_cast<double>(k)));
  const float d = static_cast<float>(static_cast<double>(velocity) *
                                     static_cast<double>(0.0001f));
  int y = 1;
  for (SeedBand& band : bands_) {
    const double phase = static_cast<double>(bandPhase);
    band.y = y;
    band.s1 = static_cast<int>((FlameSine(phase) + 1.0) * A);
    band.s2 = static_cast<int>((FlameSine(1.1 * phase) + 1.0) * A);
    band.cover = nullptr;
    const double advanced = static_cast<double>(bandPhase) + static_cast<double>(d);
    bandPhase = advanced > 10000.0 ? 0.0f : static_cast<float>(advanced);
    y = static_cast<int>(y + rw_ * 1.2);
  }

  if (!wantCover) return true;
  ++planCount_;
  try {
    for (SeedBand& band : bands_) {
      band.cover = PatternFor(band.s1, band.s2);
      if (!band.cover) return true;
    }
  } catch (const std::bad_alloc&) {
    layout_.patterns.clear();
    return true;
  }
  hasCover_ = true;
  return true;
}

void DiscSeedingPlan::Cover(int r, const uint8_t** first, const uint8_t** second) const {
  *first = *second = nullptr;
  // The first band whose centre is at or below r - RW + 1; bands are in row order.
  size_t lo = 0, hi = bands_.size();
  const int from = r - rw_ + 1;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (bands_[mid].y < from) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  const long C = columns_;
  for (size_t b = lo; b < bands_.size() && bands_[b].y <= r + rw_ - 1; ++b) {
    const uint8_t* row = bands_[b].cover + (r - bands_[b].y) * C;
    if (!*first) {
      *first = row;
    } else {
      *second = row;
    }
  }
}

void DiscSeedingPlan::SeedDirect(RowVectors v, uint8_t* field, const uint8_t* mask) const {
  const int C = columns_;
  for (const SeedBand& band : bands_) {
    for (const SeedDisc& disc : layout_.discs) {
      for (int dy = 1 - disc.radius; dy < disc.radius; ++dy) {
        const int yy = band.y + dy;
        if (yy < 1 || yy > rows_ - 2) continue;
        int lo, hi;
        DiscRun(layout_, disc, dy, band.s1, band.s2, C, &lo, &hi);
        if (lo > hi) continue;
        const long i = static_cast<long>(yy) * C + lo;
        SeedRun(v, field + i, mask + i, hi - lo + 1);
      }
    }
  }
}

void DiscSeedingPlan::LeaveGenerator(FlameRandom& random) const {
  if (!bands_.empty()) random = layout_.endRandom;
}

FastCaches::FastCaches() = default;
FastCaches::~FastCaches() = default;
FastCaches::FastCaches(FastCaches&&) noexcept = default;
FastCaches& FastCaches::operator=(FastCaches&&) noexcept = default;

DiscSeedingPlan* FastCaches::Seeding() {
  if (!seeding_) seeding_.reset(new (std::nothrow) DiscSeedingPlan());
  return seeding_.get();
}

}  // namespace fastflame

void FastSeedFlameDiscs(FlameState& state, uint8_t* field, const uint8_t* mask, int columns,
                        int rows, int width, int amplitude, int velocity) {
  fastflame::DiscSeedingPlan* plan = state.fast.caches.Seeding();
  if (!plan || !plan->Plan(state.bandPhase, columns, rows, width, amplitude, velocity,
                           !state.fast.directSeedingOnly)) {
    PlainSeedFlameDiscs(state, field, mask, columns, rows, width, amplitude, velocity);
    return;
  }
  const RowVectors v = VectorsFor(state.fast);
  if (plan->HasCover()) {
    const long C = columns;
    for (int r = 1; r <= rows - 2; ++r) {
      const uint8_t *first, *second;
      plan->Cover(r, &first, &second);
      if (first) FinishRun(v, field + r * C, mask + r * C, first, second, nullptr, columns);
    }
  } else {
    plan->SeedDirect(v, field, mask);
  }
  plan->LeaveGenerator(state.random);
}

void FastOverlayFlameDrops(const FlameState& state, uint8_t* field, const uint8_t* drops,
                           int columns, int rows) {
  OverlayRun(VectorsFor(state.fast), field, drops, static_cast<long>(columns) * rows);
}
