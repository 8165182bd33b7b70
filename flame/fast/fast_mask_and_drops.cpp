// SPDX-License-Identifier: GPL-2.0-or-later
// The start of a render, fast: the source mask and the drop pass in one sweep down the rows,
// so that the drop buffer is walked once, and in the order the processor fetches ahead.
//
// The plain render builds the whole mask, then lays the four drop blocks (which read the
// mask), then lets the drop buffer fall, visiting rows upward so that each read sees the
// buffer before the fall. Here the fall runs downward instead: row y + 1 is written from rows
// y - 1 and y as they were before the fall, kept in three row-sized copies, and each row is
// masked and given its blocks just before the fall needs it. The generator's draws (the
// blocks') come first, as in the plain drop pass.
#include <cstdint>
#include <cstring>

#include "flame/fast/fast_drops.h"
#include "flame/fast/fast_flame.h"
#include "flame/fast/fast_row_kernels.h"

void FastBuildMaskAndDrops(FlameState& state, int columns, int rows,
                           const FlameSourceImage& source, uint8_t* mask, int32_t invert,
                           int32_t drop, uint8_t* drops) {
  if (!drop) {
    FastBuildSourceMask(state, columns, rows, source, mask, invert);
    return;
  }
  const RowVectors v = VectorsFor(state.fast);
  fastflame::DropBlock blocks[4];
  fastflame::DrawDropBlocks(state.random, columns, rows, blocks);
  const long C = columns;
  auto prepare = [&](int y) {
    FastSourceMaskRow(v, columns, rows, source, mask, invert, y);
    fastflame::ApplyDropBlocks(blocks, y, mask + y * C, drops + y * C);
  };

  const bool falls = rows >= 4 && columns >= 3;
  uint8_t* copies = falls ? state.fast.caches.RowCopies(columns) : nullptr;
  if (!copies) {
    for (int y = 0; y < rows; ++y) prepare(y);
    fastflame::FallDrops(v, columns, rows, drops);
    return;
  }
  // Rows 0 to 2 are not written by the fall; 1 and 2 are the first ones it reads.
  for (int y = 0; y <= 2; ++y) prepare(y);
  uint8_t* above = copies;
  uint8_t* centre = copies + C;
  uint8_t* below = copies + 2 * C;
  std::memcpy(above, drops + C, C);
  std::memcpy(centre, drops + 2 * C, C);
  for (int y = 2; y <= rows - 2; ++y) {
    uint8_t* next = drops + (y + 1) * C;
    prepare(y + 1);
    if (y + 1 <= rows - 2) std::memcpy(below, next, C);  // read by the next two rows' fall
    SumFourForward(v, next + 1, above + 1, centre, centre + 1, centre + 2, columns - 2, nullptr);
    uint8_t* spare = above;
    above = centre;
    centre = below;
    below = spare;
  }
}
