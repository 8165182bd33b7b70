// SPDX-License-Identifier: GPL-2.0-or-later
// The row kernels of the fast engine: each works on a run of n cells of one row, with 32-byte
// vectors where asked and the processor has them, 16-byte vectors otherwise, and single cells
// for the remainder. They give exactly the bytes of the cell-by-cell loops they replace.
#pragma once

#include <cstdint>

// Which vectors the kernels use: 32-byte ones only when `wide` is set (see VectorsFor).
struct RowVectors {
  bool wide;
};

// True when the processor has 32-byte vectors (decided once, when the library is loaded).
bool ProcessorHasAvx2();

// The cooling of one direction pass: a cell above `height` loses `height`; otherwise a cell
// above `soot` loses `jitterLoss` (the step's jitter modulo soot + 1, never more than soot).
struct FlameCooling {
  uint8_t height;
  uint8_t soot;
  uint8_t jitterLoss;
};

inline uint8_t CoolCell(uint8_t v, const FlameCooling& cooling) {
  if (v > cooling.height) return static_cast<uint8_t>(v - cooling.height);
  if (v > cooling.soot) return static_cast<uint8_t>(v - cooling.jitterLoss);
  return v;
}

// dst[k] = (a[k] + b[k] + c[k] + g(d[k])) >> 2 for k = 0 .. n - 1, where g cools d[k] when
// `cooling` is given and leaves it as it is otherwise.
// Forward runs k upward and reads every source of a block before it stores the block, so dst
// may be the same row as a and d shifted toward lower addresses (dst <= a, dst <= d).
// Backward runs k downward, for dst shifted toward higher addresses (dst >= a, dst >= d).
// Any other overlap of dst with the sources is not allowed.
void SumFourForward(RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                    const uint8_t* d, int n, const FlameCooling* cooling);
void SumFourBackward(RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                     const uint8_t* d, int n, const FlameCooling* cooling);

// cells[k] = cool(cells[k]) for k = 0 .. n - 1.
void CoolRun(RowVectors v, uint8_t* cells, int n, const FlameCooling& cooling);

// field[k] = mask[k] where mask[k] != 0, for k = 0 .. n - 1. Applying it twice changes
// nothing more, so runs may overlap.
void SeedRun(RowVectors v, uint8_t* field, const uint8_t* mask, int n);

// field[k] = drops[k] where drops[k] > 20, for k = 0 .. n - 1.
void OverlayRun(RowVectors v, uint8_t* field, const uint8_t* drops, long n);

// The end of a render step for one row: where a cover byte (first or second) is 0xFF and the
// mask is not 0 the field takes the mask's value, then where drops is above 20 it takes the
// drop's value. first == null: no seeding on this row; second may be null; drops == null:
// no overlay.
void FinishRun(RowVectors v, uint8_t* field, const uint8_t* mask, const uint8_t* first, const uint8_t* second,
               const uint8_t* drops, int n);

// SumFourForward with cooling and FinishRun of its results in one pass:
// dst[k] = finish((a[k] + b[k] + c[k] + cool(d[k])) >> 2), where mask, first, second and
// drops are read at k as FinishRun reads them. dst must not overlap a, b, c or d.
void SumFourFinishForward(RowVectors v, uint8_t* dst, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                          const uint8_t* d, int n, const FlameCooling& cooling,
                          const uint8_t* mask, const uint8_t* first, const uint8_t* second,
                          const uint8_t* drops);

// FinishRun of the one cell value v, with the pointers at that cell.
uint8_t FinishOne(uint8_t v, const uint8_t* mask, const uint8_t* first, const uint8_t* second,
                  const uint8_t* drops);

// Asks for the n bytes at p to be brought into the cache ahead of use. Passes that walk rows
// downward in memory order call it a few rows ahead, where the processor's own prefetching,
// which follows rising addresses, does not help.
void PrefetchRun(const uint8_t* p, int n);
