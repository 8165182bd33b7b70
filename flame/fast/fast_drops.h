// SPDX-License-Identifier: GPL-2.0-or-later
// The parts of the drop pass, for the fast drop pass and for the frame start that joins it
// to the source mask.
#pragma once

#include <cstdint>

#include "flame/fast/fast_row_kernels.h"
#include "flame/flame_random.h"

namespace fastflame {

// One of the four random blocks, already cut to rows and columns 2 .. size - 3.
struct DropBlock {
  int xFirst, xLast, yFirst, yLast;
};

// Draws the four blocks from the generator, in the plain pass's order (rx, then ry, each).
void DrawDropBlocks(FlameRandom& random, int columns, int rows, DropBlock blocks[4]);

// The blocks' part of row y: drops = the larger of drops and mask, at most 200. Each cell
// gets the same whatever the order of the blocks, so a row can take all four at once.
void ApplyDropBlocks(const DropBlock blocks[4], int y, const uint8_t* maskRow, uint8_t* dropsRow);

// The fall of the whole buffer, rows visited upward as in the plain pass.
void FallDrops(RowVectors v, int columns, int rows, uint8_t* drops);

}  // namespace fastflame
