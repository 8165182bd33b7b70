// SPDX-License-Identifier: GPL-2.0-or-later
// The direction pass a row at a time. Visiting the cells one by one in place, a visit reads
// some cells that earlier visits of the same pass have already changed. For every code those
// reads see, within a row, either a value from before the pass or a value that is already
// final, so a whole row can be computed from the row as it was, with vectors:
//
// Codes 0, 1, 7 (rows downward) and 3, 4, 5 (rows upward) send the average to the next row
// in the visiting order's wake (y + 1 for 0, 1, 7; y - 1 for 3, 4, 5). That row has already
// been visited and is never read again, so the writes disturb no later read. Of the row being
// visited, the cell itself and the neighbour ahead are still as before the pass; the row away
// from the target (N for 0, 1, 7; S for 3, 4, 5) has not been visited yet. Only the
// neighbour behind in the column order has been visited and cooled: W where columns run
// upward (0, 1, 3, 4), E where they run downward (5, 7) -- unless it is the border column,
// which no visit cools. So: target row = (cell + away row + ahead + cool(behind)) >> 2,
// with the border cell patched. Of the cooled row itself only what no later write covers
// stays: nothing for 0 and 4, column columns - 2 for 1 and 3, column 1 for 5 and 7, and the
// whole last row visited.
//
// Codes 2 (left) and 6 (right) send the average to the neighbour just visited within the
// row, but nothing reads that neighbour again in this row: the cell itself, the neighbour
// ahead (E for 2, W for 6) and S are from before the pass, and N is the row above, already
// final. Computed in place, in the row's own visiting order, each block reads its sources
// before its store, and the store lands behind them. The one cell no write reaches keeps
// its cooling: column columns - 2 for 2, column 1 for 6.
//
// DirectionPassByRows also says when each row of the field is final, so that the render step
// can seed it and lay the drops over it while it is still in the cache: every row r,
// 0 .. rows - 1, is finished once, after the pass has written it for the last time and before
// anything reads it again. The finisher either finishes a whole row (finish(r)), or, for the
// codes that write a whole target row at once, hands over the rows of mask, cover and drops
// (finish.Fuses(r, &rows)) so that the target row is finished as it is computed.
#pragma once

#include <cstdint>

#include "flame/fast/fast_row_kernels.h"

namespace fastflame {

// The rows that finish one field row: the mask row, the cover rows (null where no seeding:
// first null, or second null for one band) and the drop row (null: no overlay).
struct FinishRowData {
  const uint8_t* mask;
  const uint8_t* first;
  const uint8_t* second;
  const uint8_t* drops;

  FinishRowData At(long column) const {
    return {mask + column, first ? first + column : nullptr, second ? second + column : nullptr,
            drops ? drops + column : nullptr};
  }
};

// The direction pass alone: nothing to finish.
struct NoFinish {
  void operator()(int) const {}
  bool Fuses(int, FinishRowData*) const { return false; }
};

// The codes whose target lies in the next row, described as the row kernel sees them.
struct RowToRow {
  bool rowsDownward;  // rows from rows - 2 down to 1
  int targetDy;       // +1 or -1
  int targetDx;       // -1, 0 or +1
  bool coolWest;      // columns run upward: W was visited and cooled (else E)
};

constexpr RowToRow kRowToRow[8] = {
    /* 0 */ {true, +1, 0, true},
    /* 1 */ {true, +1, -1, true},
    /* 2 */ {false, 0, 0, false},  // in-row, handled apart
    /* 3 */ {false, -1, -1, true},
    /* 4 */ {false, -1, 0, true},
    /* 5 */ {false, -1, +1, false},
    /* 6 */ {false, 0, 0, false},  // in-row, handled apart
    /* 7 */ {true, +1, +1, false},
};

// How many rows ahead a pass that runs toward lower addresses fetches its rows.
constexpr int kPrefetchRows = 4;

template <class Finish>
void RowToRowPass(RowVectors v, uint8_t* field, int columns, int rows, const FlameCooling& cooling,
                  const RowToRow& shape, Finish&& finish) {
  const int n = columns - 2;
  const long C = columns;
  const int awayDy = -shape.targetDy;
  // Column offsets (from column 1) of the neighbour still as it was and of the cooled one.
  const int aheadDx = shape.coolWest ? +1 : -1;
  const int behindDx = -aheadDx;
  // The visit whose cooled neighbour is the border column, as an index from column 1.
  const int borderK = shape.coolWest ? 0 : n - 1;

  int y = 0;
  for (int r = 0; r < rows - 2; ++r) {
    y = shape.rowsDownward ? rows - 2 - r : 1 + r;
    uint8_t* row = field + y * C + 1;  // column 1 of row y
    const uint8_t* away = row + awayDy * C;
    if (shape.rowsDownward && y > kPrefetchRows) PrefetchRun(row - (kPrefetchRows + 1) * C, n);
    uint8_t* target = row + shape.targetDy * C + shape.targetDx;
    const int t = y + shape.targetDy;
    FinishRowData targetRows;
    const bool fused = finish.Fuses(t, &targetRows);
    // The border neighbour is never visited, so it enters the sum uncooled.
    const uint8_t border = static_cast<uint8_t>(
        (row[borderK] + away[borderK] + row[borderK + aheadDx] + row[borderK + behindDx]) >> 2);
    if (fused) {
      // Row t is final once this row is done: finish it on the way. The kernel covers the
      // columns from first on; the cells around them are finished one by one.
      const long first = 1 + shape.targetDx;
      const FinishRowData at = targetRows.At(first);
      SumFourFinishForward(v, target, row, away, row + aheadDx, row + behindDx, n, cooling,
                           at.mask, at.first, at.second, at.drops);
      const FinishRowData b = targetRows.At(first + borderK);
      target[borderK] = FinishOne(border, b.mask, b.first, b.second, b.drops);
      uint8_t* whole = field + t * C;
      auto finishCell = [&](long x) {
        const FinishRowData c = targetRows.At(x);
        whole[x] = FinishOne(whole[x], c.mask, c.first, c.second, c.drops);
      };
      for (long x = 0; x < first; ++x) finishCell(x);
      for (long x = first + n; x < columns; ++x) finishCell(x);
    } else {
      SumFourForward(v, target, row, away, row + aheadDx, row + behindDx, n, &cooling);
      target[borderK] = border;
    }
    if (r == rows - 3) {
      CoolRun(v, row, n, cooling);  // the last row visited: no later write reaches it
    } else if (shape.targetDx != 0) {
      // The one cell of the row that the next row's targets miss.
      const int keep = shape.targetDx < 0 ? n - 1 : 0;
      row[keep] = CoolCell(row[keep], cooling);
    }
    if (!fused) finish(t);  // written for the last time; later visits read further on
  }
  finish(y);                     // the last row visited
  finish(y + awayDy);            // the outermost row on the far side, never written
}

// Code 2: rows upward, columns upward, W (y, x - 1) = (cell + N + S + E) >> 2.
// Code 6: rows upward, columns downward, E (y, x + 1) = (cell + N + S + W) >> 2.
// Row y reads row y - 1 as the pass left it, so that row is finished only after row y.
template <class Finish>
void InRowPass(RowVectors v, uint8_t* field, int columns, int rows, const FlameCooling& cooling, bool left,
               Finish&& finish) {
  const int n = columns - 2;
  const long C = columns;
  for (int y = 1; y <= rows - 2; ++y) {
    uint8_t* row = field + y * C + 1;
    if (left) {
      SumFourForward(v, row - 1, row, row - C, row + C, row + 1, n, nullptr);
      row[n - 1] = CoolCell(row[n - 1], cooling);
    } else {
      SumFourBackward(v, row + 1, row, row - C, row + C, row - 1, n, nullptr);
      row[0] = CoolCell(row[0], cooling);
    }
    finish(y - 1);
  }
  finish(rows - 2);
  finish(rows - 1);
}

// The whole pass; requires rows >= 3 and columns >= 3.
template <class Finish>
void DirectionPassByRows(RowVectors v, uint8_t* field, int columns, int rows, const FlameCooling& cooling,
                         int direction, Finish&& finish) {
  const int code = direction & 7;
  if (code == 2 || code == 6) {
    InRowPass(v, field, columns, rows, cooling, code == 2, finish);
  } else {
    RowToRowPass(v, field, columns, rows, cooling, kRowToRow[code], finish);
  }
}

inline FlameCooling CoolingOf(int height, int soot, uint32_t jitter) {
  return {static_cast<uint8_t>(height), static_cast<uint8_t>(soot),
          static_cast<uint8_t>(jitter % static_cast<uint32_t>(soot + 1))};
}

}  // namespace fastflame
