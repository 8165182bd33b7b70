// SPDX-License-Identifier: GPL-2.0-or-later
// Where the drop pass's blocks land: the block size and grid follow from the field's size
// (integer divisions), and each block draws one number across, then one down.
#pragma once

#include "flame/flame_random.h"

struct DropBlockGrid {
  int blockWidth;    // columns / 50 + 1
  int blocksAcross;  // columns / blockWidth
  int blockHeight;   // rows / 30 + 1
  int blocksDown;    // rows / blockHeight
};

inline DropBlockGrid DropBlockGridFor(int columns, int rows) {
  DropBlockGrid grid;
  grid.blockWidth = columns / 50 + 1;
  grid.blocksAcross = columns / grid.blockWidth;
  grid.blockHeight = rows / 30 + 1;
  grid.blocksDown = rows / grid.blockHeight;
  return grid;
}

// Draws the next block from `random` and gives its top left cell.
inline void DrawDropBlockOrigin(FlameRandom& random, const DropBlockGrid& grid, int* x0,
                                int* y0) {
  const int rx = random.Next();
  const int ry = random.Next();
  *x0 = grid.blockWidth * (rx % grid.blocksAcross);
  *y0 = grid.blockHeight * (ry % grid.blocksDown);
}
