// SPDX-License-Identifier: GPL-2.0-or-later
// The drop pass, fast. The four blocks touch each cell on its own, so they are filled row by
// row; the fall reads only the buffer as it was before the fall (each row is written one row
// below its source row, and rows are visited upward), so it is one vector sum per row.
#include "flame/fast/fast_drops.h"

#include <cstdint>

#include "flame/drop_blocks.h"
#include "flame/fast/fast_flame.h"
#include "flame/fast/fast_row_kernels.h"

namespace fastflame {

namespace {

// How many rows ahead of the fall its rows are fetched (the fall runs toward lower addresses).
constexpr int kPrefetchRows = 4;

}  // namespace

void DrawDropBlocks(FlameRandom& random, int columns, int rows, DropBlock blocks[4]) {
  const DropBlockGrid grid = DropBlockGridFor(columns, rows);
  for (int block = 0; block < 4; ++block) {
    int x0, y0;
    DrawDropBlockOrigin(random, grid, &x0, &y0);
    const int xEnd = x0 + grid.blockWidth - 1, yEnd = y0 + grid.blockHeight - 1;
    DropBlock& b = blocks[block];
    b.xFirst = x0 > 2 ? x0 : 2;
    b.xLast = xEnd < columns - 3 ? xEnd : columns - 3;
    b.yFirst = y0 > 2 ? y0 : 2;
    b.yLast = yEnd < rows - 3 ? yEnd : rows - 3;
  }
}

void ApplyDropBlocks(const DropBlock blocks[4], int y, const uint8_t* maskRow,
                     uint8_t* dropsRow) {
  for (int block = 0; block < 4; ++block) {
    const DropBlock& b = blocks[block];
    if (y < b.yFirst || y > b.yLast) continue;
    for (int x = b.xFirst; x <= b.xLast; ++x) {
      const uint8_t v = dropsRow[x] > maskRow[x] ? dropsRow[x] : maskRow[x];
      dropsRow[x] = v > 200 ? 200 : v;
    }
  }
}

void FallDrops(RowVectors v, int columns, int rows, uint8_t* drops) {
  if (rows < 4 || columns < 3) return;
  const long C = columns;
  for (int y = rows - 2; y >= 2; --y) {
    uint8_t* row = drops + y * C + 1;
    if (y >= kPrefetchRows + 1) PrefetchRun(row - (kPrefetchRows + 1) * C, columns - 2);
    SumFourForward(v, row + C, row - C, row - 1, row, row + 1, columns - 2, nullptr);
  }
}

}  // namespace fastflame

void FastScatterDrops(FlameState& state, int columns, int rows, const uint8_t* mask,
                      uint8_t* drops) {
  fastflame::DropBlock blocks[4];
  fastflame::DrawDropBlocks(state.random, columns, rows, blocks);
  const long C = columns;
  for (int y = 2; y <= rows - 3; ++y) {
    fastflame::ApplyDropBlocks(blocks, y, mask + y * C, drops + y * C);
  }
  fastflame::FallDrops(VectorsFor(state.fast), columns, rows, drops);
}
