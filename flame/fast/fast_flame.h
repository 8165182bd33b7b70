// SPDX-License-Identifier: GPL-2.0-or-later
// The fast engine: the same passes as the plain loops (flame/plain), worked a row at a time.
// Every function gives the bytes, and leaves the generator and the band phase of the fire's
// state, as its plain counterpart does; flame/flame_engine.cpp chooses between the two.
#pragma once

#include <cstddef>
#include <cstdint>

#include "flame/fast/fast_row_kernels.h"
#include "flame/flame_image.h"
#include "flame/flame_palette.h"
#include "flame/flame_state.h"

// The vectors a fire's fast engine uses.
inline RowVectors VectorsFor(const fastflame::FastEngineState& fast) {
  return {ProcessorHasAvx2() && !fast.sse2Only};
}

void FastFlameDirectionPass(const FlameState& state, uint8_t* field, int columns, int rows,
                            int height, int soot, uint32_t jitter, int direction);
void FastSeedFlameDiscs(FlameState& state, uint8_t* field, const uint8_t* mask, int columns,
                        int rows, int width, int amplitude, int velocity);
void FastOverlayFlameDrops(const FlameState& state, uint8_t* field, const uint8_t* drops,
                           int columns, int rows);
void FastStepFlameField(FlameState& state, uint8_t* field, const uint8_t* mask,
                        const uint8_t* drops, int columns, int rows, int height, int soot,
                        int width, int amplitude, int direction, int drop, int velocity);
void FastScatterDrops(FlameState& state, int columns, int rows, const uint8_t* mask,
                      uint8_t* drops);

void FastBuildSourceMask(const FlameState& state, int stride, int rows,
                         const FlameSourceImage& source, uint8_t* mask, int32_t invert);
// One row of FastBuildSourceMask (rows it does not write are left alone).
void FastSourceMaskRow(RowVectors v, int stride, int rows, const FlameSourceImage& source,
                       uint8_t* mask, int32_t invert, int y);
// BuildSourceMask, then ScatterDrops when drop is on, in one sweep.
void FastBuildMaskAndDrops(FlameState& state, int columns, int rows,
                           const FlameSourceImage& source, uint8_t* mask, int32_t invert,
                           int32_t drop, uint8_t* drops);
void FastColourFlameField(const uint8_t* field, int stride, int width, int rows,
                          const FlameColorTable& table, int32_t alpha, FlamePixel* output);
// Rows 0 .. rows - 1 of the field, `width` cells each, as `finished[heat]`: four bytes a
// pixel in whatever order the table holds them, into rows `rowBytes` apart from `output`.
void FastColourRows(const uint8_t* field, int stride, int width, int rows,
                    const uint32_t finished[256], uint8_t* output, ptrdiff_t rowBytes);
