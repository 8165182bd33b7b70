// Disc seeding, drop overlay and the whole render step, fast.
//
// The seeding writes nothing but the mask's own values, so the order in which discs cover a
// cell does not matter: a field cell ends as its mask value when any disc covers it and the
// mask is not 0. Each disc, cut to its clipping window, is a run of cells per row, and the
// runs can be written with vectors.
//
// Every band reseeds the generator with 0, so the band's RW and its whole run of RX values
// depend only on the width and the column count: they are drawn once into a layout and
// reused, together with the generator state that the last draw leaves. The sines and the
// bandPhase still advance band by band exactly as the plain loop does.
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "flame/fast_flame.h"
#include "flame/fast_row_kernels.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/plain_flame.h"

namespace {

struct SeedDisc {
  int x;       // centre column
  int rx;      // RX: half the spacing, and how far left of the centre the window starts
  int radius;  // the smaller of RW and RX
};

// What a band draws, for one width and column count.
struct DiscLayout {
  int width = -1;
  int columns = -1;
  int rw = 0;
  uint32_t endState = 0;  // the generator after the band's last draw
  std::vector<SeedDisc> discs;
  // halfWidth[start[r] + dy]: the largest h with h * h < r * r - dy * dy, for 0 <= dy < r.
  std::vector<int> start;
  std::vector<uint8_t> halfWidth;
};

DiscLayout layout;

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
  next.width = width;
  next.columns = columns;
  layout = std::move(next);
}

// False when the layout cannot be made (out of memory); the plain loop then does the work.
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

// One band's discs, centred on row y, with the clipping window shifted by s1 and s2.
void SeedBand(uint8_t* field, const uint8_t* mask, int columns, int rows, int y, int s1,
              int s2) {
  const long C = columns;
  for (const SeedDisc& disc : layout.discs) {
    const int r = disc.radius;
    const int windowFirst = disc.x - disc.rx + s2;
    const int windowLast = disc.x + s1 - 1;
    const int first = windowFirst > 1 ? windowFirst : 1;
    const int last = windowLast < columns - 2 ? windowLast : columns - 2;
    if (first > last) continue;
    const uint8_t* halfWidth = layout.halfWidth.data() + layout.start[r];
    int yyFirst = y - r + 1, yyLast = y + r - 1;
    if (yyFirst < 1) yyFirst = 1;
    if (yyLast > rows - 2) yyLast = rows - 2;
    for (int yy = yyFirst; yy <= yyLast; ++yy) {
      const int dy = yy > y ? yy - y : y - yy;
      const int h = halfWidth[dy];
      const int lo = disc.x - h > first ? disc.x - h : first;
      const int hi = disc.x + h < last ? disc.x + h : last;
      if (lo > hi) continue;
      const long i = yy * C + lo;
      SeedRun(field + i, mask + i, hi - lo + 1);
    }
  }
}

}  // namespace

void FastSeedFlameDiscs(uint8_t* field, const uint8_t* mask, int columns, int rows, int width,
                        int amplitude, int velocity) {
  if (rows <= 1) return;  // no band: nothing is drawn and the phase stays
  if (!EnsureLayout(width, columns)) {
    PlainSeedFlameDiscs(field, mask, columns, rows, width, amplitude, velocity);
    return;
  }
  const float k = 0.01f;
  const int A = static_cast<int>(static_cast<double>(width) *
                                 (static_cast<double>(amplitude) * static_cast<double>(k)));
  const float d = static_cast<float>(static_cast<double>(velocity) *
                                     static_cast<double>(0.0001f));
  const int RW = layout.rw;
  int y = 1;
  while (y < rows) {
    const double phase = static_cast<double>(bandPhase);
    const int S1 = static_cast<int>((std::sin(phase) + 1.0) * A);
    const int S2 = static_cast<int>((std::sin(1.1 * phase) + 1.0) * A);
    const double advanced = static_cast<double>(bandPhase) + static_cast<double>(d);
    bandPhase = advanced > 10000.0 ? 0.0f : static_cast<float>(advanced);
    SeedBand(field, mask, columns, rows, y, S1, S2);
    y = static_cast<int>(y + RW * 1.2);
  }
  FlameRandom::state = layout.endState;
}

void FastOverlayFlameDrops(uint8_t* field, const uint8_t* drops, int columns, int rows) {
  OverlayRun(field, drops, static_cast<long>(columns) * rows);
}

void FastStepFlameField(uint8_t* field, const uint8_t* mask, const uint8_t* drops, int columns,
                        int rows, int height, int soot, int width, int amplitude, int direction,
                        int drop, int velocity) {
  const uint32_t jitter = static_cast<uint32_t>(FlameRandom::Next());
  FastFlameDirectionPass(field, columns, rows, height, soot, jitter, direction);
  FastSeedFlameDiscs(field, mask, columns, rows, width, amplitude, velocity);
  if (drop) FastOverlayFlameDrops(field, drops, columns, rows);
}
