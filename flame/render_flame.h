// SPDX-License-Identifier: GPL-2.0-or-later
// The render driver: turns the source layer into the source mask, advances the flame field by
// the steps the step credit allows and colours the heat into the output frame.
#pragma once

#include <cstdint>

#include "flame/flame_image.h"
#include "flame/flame_palette.h"
#include "flame/flame_sequence.h"
#include "flame/flame_state.h"

// The parameter values a render reads, already reduced as the render takes them: the sliders
// read as bytes hold their low 8 bits, the colours their red, green and blue.
struct FlameRenderValues {
  int velocity;
  int height;
  int soot;
  int width;
  int amplitude;
  int32_t alpha;
  FlameColor color1;
  FlameColor color2;
  FlameColor color3;
  FlameColor color4;
  int color2Position;
  int color3Position;
  int customColor;
  int32_t birth;
  int32_t drop;
  int32_t invertSource;
  int32_t fireDirection;  // 16.16 fixed-point degrees
  int32_t frameIndex;
  int32_t frameWidth;
  int32_t frameHeight;
};

enum class FlameRenderResult {
  kDone,
  kOutOfMemory,  // the buffers could not be allocated; nothing was written
};

// Renders one frame of the fire whose state is `state` and whose buffers `sequence` holds,
// into `output`. The output's stride is the flame field's column count; an output without
// pixels is coloured by the caller, from the field and state.renderColorTable.
FlameRenderResult RenderFlame(FlameState& state, FlameSequenceData& sequence,
                              const FlameRenderValues& values, const FlameSourceImage& source,
                              const FlameOutputImage& output);

// The render's passes run the engine that the fire's state asks for (flame/flame_engine.cpp).

// Fills the interior of the mask (two cells in from every edge) from the source brightness,
// skipping transparent pixels and pixels outside the source image; then, when drop is on, the
// drop pass.
void BuildMaskAndDrops(FlameState& state, int stride, int rows, const FlameSourceImage& source,
                       uint8_t* mask, int32_t invert, int32_t drop, uint8_t* drops);

// Colours rows 1 .. rows - 1, columns 0 .. width - 1 of the heat field into `output`, which
// shares the field's stride; row 0 and the columns beyond the width are not written.
void ColourFlameField(const FlameState& state, const uint8_t* field, int stride, int width,
                      int rows, const FlameColorTable& table, int32_t alpha, FlamePixel* output);

// "Fire Direction" (16.16 fixed-point degrees) to a direction code.
int FlameDirectionCode(int32_t fixedDegrees);

// The step credit's stepping for one render: returns 0, 2, 3 or 5 steps to run.
int TakeStepCredit(FlameState& state);

// Restarts the stepping from "Velocity": reseeds the generator, credit 2.0, new increment.
void RestartStepCredit(FlameState& state, int velocity);
