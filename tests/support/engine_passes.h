// SPDX-License-Identifier: GPL-2.0-or-later
// The engine's passes one at a time, on the engine the fire's state asks for: the tests and
// the benchmark's breakdown run them apart; the render runs them together
// (flame/flame_engine.cpp).
#pragma once

#include <cstdint>

#include "flame/flame_image.h"
#include "flame/flame_state.h"

// The drop pass: four random blocks of source brightness into the drop buffer, then the whole
// buffer falls one row. Requires columns >= 1 and rows >= 1.
void ScatterDrops(FlameState& state, int columns, int rows, const uint8_t* mask,
                  uint8_t* drops);

// The parts of one render step, in the order StepFlameField runs them.
void FlameDirectionPass(const FlameState& state, uint8_t* field, int columns, int rows,
                        int height, int soot, uint32_t jitter, int direction);
void SeedFlameDiscs(FlameState& state, uint8_t* field, const uint8_t* mask, int columns,
                    int rows, int width, int amplitude, int velocity);
void OverlayFlameDrops(const FlameState& state, uint8_t* field, const uint8_t* drops,
                       int columns, int rows);

// Fills the interior of the mask (two cells in from every edge) from the source brightness,
// skipping transparent pixels and pixels outside the source image.
void BuildSourceMask(const FlameState& state, int stride, int rows,
                     const FlameSourceImage& source, uint8_t* mask, int32_t invert);

