// The fast engine: the same passes as the plain loops of flame_field.cpp and render_flame.cpp,
// worked a row at a time. Every function gives the bytes, the generator state and the
// bandPhase of its plain counterpart; the public functions choose between the two.
#pragma once

#include <cstdint>

#include "flame/flame_palette.h"
#include "flame/render_flame.h"

void FastFlameDirectionPass(uint8_t* field, int columns, int rows, int height, int soot,
                            uint32_t jitter, int direction);
void FastSeedFlameDiscs(uint8_t* field, const uint8_t* mask, int columns, int rows, int width,
                        int amplitude, int velocity);
void FastOverlayFlameDrops(uint8_t* field, const uint8_t* drops, int columns, int rows);
void FastStepFlameField(uint8_t* field, const uint8_t* mask, const uint8_t* drops, int columns,
                        int rows, int height, int soot, int width, int amplitude, int direction,
                        int drop, int velocity);
void FastScatterDrops(int columns, int rows, const uint8_t* mask, uint8_t* drops);

void FastBuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                         int32_t invert);
// One row of FastBuildSourceMask (rows it does not write are left alone).
void FastSourceMaskRow(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                       int32_t invert, int y);
// BuildSourceMask, then ScatterDrops when drop is on, in one sweep.
void FastBuildMaskAndDrops(int columns, int rows, const FlameSourceImage& source, uint8_t* mask,
                           int32_t invert, int32_t drop, uint8_t* drops);
void FastColourFlameField(const uint8_t* field, int stride, int width, int rows,
                          const FlameColorTable& table, int32_t alpha, FlamePixel* output);
