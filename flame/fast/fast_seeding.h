// SPDX-License-Identifier: GPL-2.0-or-later
// The disc seeding as the fast engine plans it.
//
// The seeding writes nothing but the mask's own values, so the order in which discs cover a
// cell does not matter: a field cell ends as its mask value when any disc covers it and the
// mask is not 0. Every band reseeds the generator with 0, so the band's RW and its whole run
// of RX values depend only on the width and the column count: they are drawn once into a
// layout and reused, with the generator state that the last draw leaves. What moves a band's
// discs is only its clipping window (S1, S2, from the sines of bandPhase), so the cells that
// a band covers, row by row around its centre, are kept as a cover pattern per (S1, S2):
// 0xFF where some disc covers the cell, else 0. Rows are at least RW apart from band to band
// and a disc reaches less than RW rows from its centre, so at most two bands cover any row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flame/fast/fast_row_kernels.h"
#include "flame/flame_random.h"

namespace fastflame {

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
  FlameRandom endRandom;  // the generator after the band's last draw
  std::vector<SeedDisc> discs;
  // halfWidth[start[r] + dy]: the largest h with h * h < r * r - dy * dy, for 0 <= dy < r.
  std::vector<int> start;
  std::vector<uint8_t> halfWidth;
  std::vector<CoverPattern> patterns;
  size_t maxPatterns = 0;
};

struct SeedBand {
  int y;                 // centre row
  int s1, s2;            // clipping window of its discs
  const uint8_t* cover;  // row y of the band's cover pattern (rows y - RW + 1 .. y + RW - 1)
};

// One seeding's bands, and the layout and patterns it keeps for the next. Plan draws the bands
// up exactly as the plain loop does, `bandPhase` (the fire's) advanced band by band; then the
// seeding is either done from the cover patterns row by row (Cover), or band by band, disc by
// disc (SeedDirect) when patterns are not at hand. A fire keeps one in its fast engine's
// caches.
class DiscSeedingPlan {
 public:
  // False when the layout cannot be made (out of memory): nothing has changed, and the
  // caller seeds with the plain loop. `wantCover` asks for cover patterns.
  bool Plan(float& bandPhase, int columns, int rows, int width, int amplitude, int velocity,
            bool wantCover);
  bool HasCover() const { return hasCover_; }
  // The cover rows that apply to interior row r: none, one or two (null where none).
  void Cover(int r, const uint8_t** first, const uint8_t** second) const;
  void SeedDirect(RowVectors v, uint8_t* field, const uint8_t* mask) const;
  // Leaves `random` as the last band's draws leave it (when any band ran).
  void LeaveGenerator(FlameRandom& random) const;

 private:
  bool EnsureLayout(int width, int columns);
  const uint8_t* PatternFor(int s1, int s2);

  DiscLayout layout_;
  uint64_t planCount_ = 0;
  int columns_ = 0, rows_ = 0, rw_ = 0;
  bool hasCover_ = false;
  std::vector<SeedBand> bands_;
};

}  // namespace fastflame
