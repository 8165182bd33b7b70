// SPDX-License-Identifier: GPL-2.0-or-later
// The flame field's passes as plain loops: the direction pass, the disc seeding, the drop
// overlay, the render step made of them, and the drop pass.
#include "flame/plain/plain_flame.h"

#include "flame/drop_blocks.h"
#include "flame/flame_field.h"
#include "flame/flame_sine.h"

namespace {

// How the direction pass walks the interior and where each visit sends its average. The
// three neighbours summed with the source cell are the ones that lie away from the target.
struct DirectionPassShape {
  bool rowsDownward;     // rows from rows - 2 down to 1 (else 1 up to rows - 2)
  bool columnsBackward;  // columns from columns - 2 down to 1 (else 1 up to columns - 2)
  int neighbours[3][2];  // (dy, dx) of the three neighbours summed with the source cell
  int target[2];         // (dy, dx) of the cell that receives the average
};

constexpr int N[2] = {-1, 0};
constexpr int S[2] = {1, 0};
constexpr int E[2] = {0, 1};
constexpr int W[2] = {0, -1};

constexpr DirectionPassShape kDirectionPasses[8] = {
    /* 0 down */ {true, false, {{N[0], N[1]}, {E[0], E[1]}, {W[0], W[1]}}, {1, 0}},
    /* 1 down-left */ {true, false, {{N[0], N[1]}, {E[0], E[1]}, {W[0], W[1]}}, {1, -1}},
    /* 2 left */ {false, false, {{N[0], N[1]}, {S[0], S[1]}, {E[0], E[1]}}, {0, -1}},
    /* 3 up-left */ {false, false, {{S[0], S[1]}, {E[0], E[1]}, {W[0], W[1]}}, {-1, -1}},
    /* 4 up */ {false, false, {{S[0], S[1]}, {E[0], E[1]}, {W[0], W[1]}}, {-1, 0}},
    /* 5 up-right */ {false, true, {{S[0], S[1]}, {E[0], E[1]}, {W[0], W[1]}}, {-1, 1}},
    /* 6 right */ {false, true, {{N[0], N[1]}, {S[0], S[1]}, {W[0], W[1]}}, {0, 1}},
    /* 7 down-right */ {true, true, {{N[0], N[1]}, {E[0], E[1]}, {W[0], W[1]}}, {1, 1}},
};

}  // namespace

void PlainFlameDirectionPass(uint8_t* field, int columns, int rows, int height, int soot,
                             uint32_t jitter, int direction) {
  if (rows < 3 || columns < 3) return;
  const DirectionPassShape& shape = kDirectionPasses[direction & 7];
  const int firstRow = shape.rowsDownward ? rows - 2 : 1;
  const int rowStep = shape.rowsDownward ? -1 : 1;
  const int firstColumn = shape.columnsBackward ? columns - 2 : 1;
  const int columnStep = shape.columnsBackward ? -1 : 1;
  const int neighbourOffset[3] = {
      shape.neighbours[0][0] * columns + shape.neighbours[0][1],
      shape.neighbours[1][0] * columns + shape.neighbours[1][1],
      shape.neighbours[2][0] * columns + shape.neighbours[2][1],
  };
  const int targetOffset = shape.target[0] * columns + shape.target[1];

  for (int r = 0, y = firstRow; r < rows - 2; ++r, y += rowStep) {
    for (int c = 0, x = firstColumn; c < columns - 2; ++c, x += columnStep) {
      const int i = y * columns + x;
      // Reads see the buffer as it is now: earlier visits of this pass may have written them.
      const int sum = field[i] + field[i + neighbourOffset[0]] + field[i + neighbourOffset[1]] +
                      field[i + neighbourOffset[2]];
      field[i + targetOffset] = static_cast<uint8_t>(sum >> 2);
      field[i] = CoolFlameCell(field[i], height, soot, jitter);
    }
  }
}

void PlainSeedFlameDiscs(FlameState& state, uint8_t* field, const uint8_t* mask, int columns,
                         int rows, int width, int amplitude, int velocity) {
  FlameRandom& random = state.random;
  float& bandPhase = state.bandPhase;
  const float k = 0.01f;
  const int A = static_cast<int>(static_cast<double>(width) *
                                 (static_cast<double>(amplitude) * static_cast<double>(k)));
  const float d = static_cast<float>(static_cast<double>(velocity) *
                                     static_cast<double>(0.0001f));
  const uint32_t span = static_cast<uint32_t>(width + 1);

  int y = 1;
  while (y < rows) {
    random.Seed(0);
    int RW = static_cast<int>(static_cast<uint32_t>(random.Next()) % span);
    const double phase = static_cast<double>(bandPhase);
    const int S1 = static_cast<int>((FlameSine(phase) + 1.0) * A);
    const int S2 = static_cast<int>((FlameSine(1.1 * phase) + 1.0) * A);
    const double advanced = static_cast<double>(bandPhase) + static_cast<double>(d);
    bandPhase = advanced > 10000.0 ? 0.0f : static_cast<float>(advanced);
    if (RW == 0) RW = 2;

    int x = 1;
    while (x < columns) {
      int RX = static_cast<int>(static_cast<uint32_t>(random.Next()) % span);
      if (RX == 0) RX = 2;
      const int radius = RW < RX ? RW : RX;
      const int radius2 = radius * radius;
      for (int yy = y - RW; yy <= y + RW - 1; ++yy) {
        for (int xx = x - RX + S2; xx <= x + S1 - 1; ++xx) {
          if (xx < 1 || xx > columns - 2 || yy < 1 || yy > rows - 2) continue;
          const int i = yy * columns + xx;
          if (mask[i] == 0) continue;
          if ((xx - x) * (xx - x) + (yy - y) * (yy - y) < radius2) field[i] = mask[i];
        }
      }
      x += 2 * RX;
    }
    y = static_cast<int>(y + RW * 1.2);
  }
}

void PlainOverlayFlameDrops(uint8_t* field, const uint8_t* drops, int columns, int rows) {
  const long cells = static_cast<long>(columns) * rows;
  for (long i = 0; i < cells; ++i) {
    if (drops[i] > 20) field[i] = drops[i];
  }
}

void PlainStepFlameField(FlameState& state, uint8_t* field, const uint8_t* mask,
                         const uint8_t* drops, int columns, int rows, int height, int soot,
                         int width, int amplitude, int direction, int drop, int velocity) {
  const uint32_t jitter = static_cast<uint32_t>(state.random.Next());
  PlainFlameDirectionPass(field, columns, rows, height, soot, jitter, direction);
  PlainSeedFlameDiscs(state, field, mask, columns, rows, width, amplitude, velocity);
  if (drop) PlainOverlayFlameDrops(field, drops, columns, rows);
}

void PlainScatterDrops(FlameState& state, int columns, int rows, const uint8_t* mask,
                       uint8_t* drops) {
  const DropBlockGrid grid = DropBlockGridFor(columns, rows);
  for (int block = 0; block < 4; ++block) {
    int x0, y0;
    DrawDropBlockOrigin(state.random, grid, &x0, &y0);
    for (int x = x0; x < x0 + grid.blockWidth; ++x) {
      for (int y = y0; y < y0 + grid.blockHeight; ++y) {
        if (x < 2 || x > columns - 3 || y < 2 || y > rows - 3) continue;
        const int i = y * columns + x;
        int v = drops[i] > mask[i] ? drops[i] : mask[i];
        if (v > 200) v = 200;
        drops[i] = static_cast<uint8_t>(v);
      }
    }
  }

  // Rows are visited upward and each write lands one row below its source row, so every read
  // sees the buffer as it was before the fall.
  if (rows < 4) return;
  for (int y = rows - 2; y >= 2; --y) {
    for (int x = 1; x <= columns - 2; ++x) {
      const int i = y * columns + x;
      drops[i + columns] =
          static_cast<uint8_t>((drops[i - columns] + drops[i - 1] + drops[i] + drops[i + 1]) >> 2);
    }
  }
}
