#include "flame/fast_seeding.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "flame/fast_flame.h"
#include "flame/fast_row_kernels.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/flame_sine.h"
#include "flame/plain_flame.h"

namespace fastflame {
namespace {

struct SeedDisc {
  int x;       // centre column
  int rx;      // RX: half the spacing, and how far left of the centre the window starts
  int radius;  // the smaller of RW and RX
};

struct CoverPattern {
  int s1 = 0, s2 = 0;
  uint64_t lastPlan = 0;
  std::vector<uint8_t> rows;  // 2 RW - 1 rows of `columns` bytes, the centre row in the middle
};

// What a band draws, for one width and column count, and the cover patterns made from it.
struct DiscLayout {
  int width = -1;
  int columns = -1;
  int rw = 0;
  uint32_t endState = 0;  // the generator after the band's last draw
  std::vector<SeedDisc> discs;
  // halfWidth[start[r] + dy]: the largest h with h * h < r * r - dy * dy, for 0 <= dy < r.
  std::vector<int> start;
  std::vector<uint8_t> halfWidth;
  std::vector<CoverPattern> patterns;
  size_t maxPatterns = 0;
};

// Patterns are kept while they fit in this many bytes together.
constexpr size_t kPatternBudget = size_t(32) << 20;
constexpr size_t kMostPatterns = 8;

DiscLayout layout;
uint64_t planCount = 0;
bool directOnly = false;

uint32_t NextOf(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return (state >> 16) & 0x7FFFu;
}

void BuildLayout(int width, int columns) {
  DiscLayout next;
  const uint32_t span = static_cast<uint32_t>(width + 1);
  uint32_t state = 0;
  next.rw = static_cast<int>(NextOf(state) % span);
  if (next.rw == 0) next.rw = 2;
  for (int x = 1; x < columns;) {
    int rx = static_cast<int>(NextOf(state) % span);
    if (rx == 0) rx = 2;
    next.discs.push_back({x, rx, next.rw < rx ? next.rw : rx});
    x += 2 * rx;
  }
  next.endState = state;
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
  layout = std::move(next);
}

bool EnsureLayout(int width, int columns) {
  if (layout.width == width && layout.columns == columns) return true;
  try {
    BuildLayout(width, columns);
  } catch (const std::bad_alloc&) {
    layout = DiscLayout();
    return false;
  }
  return true;
}

// The run of row dy (from the centre) that a disc covers with the window s1, s2: [lo, hi],
// empty when lo > hi.
inline void DiscRun(const SeedDisc& disc, int dy, int s1, int s2, int columns, int* lo,
                    int* hi) {
  const int h = layout.halfWidth[layout.start[disc.radius] + (dy < 0 ? -dy : dy)];
  int first = disc.x - disc.rx + s2, last = disc.x + s1 - 1;
  if (first < disc.x - h) first = disc.x - h;
  if (last > disc.x + h) last = disc.x + h;
  if (first < 1) first = 1;
  if (last > columns - 2) last = columns - 2;
  *lo = first;
  *hi = last;
}

void BuildPattern(CoverPattern& pattern, int s1, int s2) {
  const int C = layout.columns, RW = layout.rw;
  pattern.s1 = s1;
  pattern.s2 = s2;
  pattern.rows.assign(static_cast<size_t>(2 * RW - 1) * C, 0);
  uint8_t* centre = pattern.rows.data() + static_cast<size_t>(RW - 1) * C;
  for (const SeedDisc& disc : layout.discs) {
    for (int dy = 1 - disc.radius; dy < disc.radius; ++dy) {
      int lo, hi;
      DiscRun(disc, dy, s1, s2, C, &lo, &hi);
      if (lo <= hi) std::memset(centre + static_cast<long>(dy) * C + lo, 0xFF, hi - lo + 1);
    }
  }
}

// The pattern for (s1, s2), made if need be; null when none can be had without dropping one
// that this plan already uses.
const uint8_t* PatternFor(int s1, int s2) {
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
        if (p.lastPlan != planCount && (!found || p.lastPlan < found->lastPlan)) found = &p;
      }
      if (!found) return nullptr;
    }
    BuildPattern(*found, s1, s2);
  }
  found->lastPlan = planCount;
  return found->rows.data() + static_cast<size_t>(layout.rw - 1) * layout.columns;
}

}  // namespace

bool DiscSeedingPlan::Plan(int columns, int rows, int width, int amplitude, int velocity,
                           bool wantCover) {
  columns_ = columns;
  rows_ = rows;
  hasCover_ = false;
  bands_.clear();
  if (rows <= 1) return true;  // no band: nothing is drawn and the phase stays
  if (!EnsureLayout(width, columns)) return false;
  rw_ = layout.rw;
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

  if (!wantCover || directOnly) return true;
  ++planCount;
  try {
    for (SeedBand& band : bands_) {
      band.cover = PatternFor(band.s1, band.s2);
      if (!band.cover) return true;
    }
  } catch (const std::bad_alloc&) {
    layout.patterns.clear();
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

void DiscSeedingPlan::SeedDirect(uint8_t* field, const uint8_t* mask) const {
  const int C = columns_;
  for (const SeedBand& band : bands_) {
    for (const SeedDisc& disc : layout.discs) {
      for (int dy = 1 - disc.radius; dy < disc.radius; ++dy) {
        const int yy = band.y + dy;
        if (yy < 1 || yy > rows_ - 2) continue;
        int lo, hi;
        DiscRun(disc, dy, band.s1, band.s2, C, &lo, &hi);
        if (lo > hi) continue;
        const long i = static_cast<long>(yy) * C + lo;
        SeedRun(field + i, mask + i, hi - lo + 1);
      }
    }
  }
}

void DiscSeedingPlan::LeaveGenerator() const {
  if (!bands_.empty()) FlameRandom::state = layout.endState;
}

void LimitSeedingToDirectRuns(bool limit) { directOnly = limit; }

DiscSeedingPlan& SharedSeedingPlan() {
  static DiscSeedingPlan plan;
  return plan;
}

}  // namespace fastflame

void FastSeedFlameDiscs(uint8_t* field, const uint8_t* mask, int columns, int rows, int width,
                        int amplitude, int velocity) {
  fastflame::DiscSeedingPlan& plan = fastflame::SharedSeedingPlan();
  if (!plan.Plan(columns, rows, width, amplitude, velocity, true)) {
    PlainSeedFlameDiscs(field, mask, columns, rows, width, amplitude, velocity);
    return;
  }
  if (plan.HasCover()) {
    const long C = columns;
    for (int r = 1; r <= rows - 2; ++r) {
      const uint8_t *first, *second;
      plan.Cover(r, &first, &second);
      if (first) FinishRun(field + r * C, mask + r * C, first, second, nullptr, columns);
    }
  } else {
    plan.SeedDirect(field, mask);
  }
  plan.LeaveGenerator();
}

void FastOverlayFlameDrops(uint8_t* field, const uint8_t* drops, int columns, int rows) {
  OverlayRun(field, drops, static_cast<long>(columns) * rows);
}
