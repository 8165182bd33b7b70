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

#include <cstdint>
#include <vector>

namespace fastflame {

struct SeedBand {
  int y;                 // centre row
  int s1, s2;            // clipping window of its discs
  const uint8_t* cover;  // row y of the band's cover pattern (rows y - RW + 1 .. y + RW - 1)
};

// One seeding's bands. Plan draws them up exactly as the plain loop does, bandPhase advanced
// band by band; then the seeding is either done from the cover patterns row by row (Cover),
// or band by band, disc by disc (SeedDirect) when patterns are not at hand.
class DiscSeedingPlan {
 public:
  // False when the layout cannot be made (out of memory): nothing has changed, and the
  // caller seeds with the plain loop. `wantCover` asks for cover patterns.
  bool Plan(int columns, int rows, int width, int amplitude, int velocity, bool wantCover);
  bool HasCover() const { return hasCover_; }
  // The cover rows that apply to interior row r: none, one or two (null where none).
  void Cover(int r, const uint8_t** first, const uint8_t** second) const;
  void SeedDirect(uint8_t* field, const uint8_t* mask) const;
  // The generator as the last band's draws leave it (when any band ran).
  void LeaveGenerator() const;

 private:
  int columns_ = 0, rows_ = 0, rw_ = 0;
  bool hasCover_ = false;
  std::vector<SeedBand> bands_;
};

}  // namespace fastflame

namespace fastflame {

// The plan every fast seeding uses (the engine is single-threaded, like the host's calls).
DiscSeedingPlan& SharedSeedingPlan();

// Tests: seed disc by disc even where cover patterns could be used.
void LimitSeedingToDirectRuns(bool limit);

}  // namespace fastflame
