// SPDX-License-Identifier: GPL-2.0-or-later
// The plain engine: the passes as straightforward loops over the cells in their visiting
// order. They are the oracle the fast engine is checked against; flame/flame_engine.cpp runs
// them for a fire whose state asks for the plain engine.
#pragma once

#include <cstdint>

#include "flame/flame_image.h"
#include "flame/flame_palette.h"
#include "flame/flame_state.h"

void PlainFlameDirectionPass(uint8_t* field, int columns, int rows, int height, int soot,
                             uint32_t jitter, int direction);
void PlainSeedFlameDiscs(FlameState& state, uint8_t* field, const uint8_t* mask, int columns,
                         int rows, int width, int amplitude, int velocity);
void PlainOverlayFlameDrops(uint8_t* field, const uint8_t* drops, int columns, int rows);
void PlainStepFlameField(FlameState& state, uint8_t* field, const uint8_t* mask,
                         const uint8_t* drops, int columns, int rows, int height, int soot,
                         int width, int amplitude, int direction, int drop, int velocity);
void PlainScatterDrops(FlameState& state, int columns, int rows, const uint8_t* mask,
                       uint8_t* drops);

void PlainBuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                          int32_t invert);
void PlainColourFlameField(const uint8_t* field, int stride, int width, int rows,
                           const FlameColorTable& table, int32_t alpha, FlamePixel* output);
