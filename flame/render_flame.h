// The render driver: turns the source layer into the source mask, advances the flame field by
// the steps the step credit allows and colours the heat into the output frame.
#pragma once

#include <cstdint>

#include "flame/flame_palette.h"
#include "flame/flame_sequence.h"

// A pixel as the host lays it out: alpha, red, green, blue.
struct FlamePixel {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
static_assert(sizeof(FlamePixel) == 4, "pixels are 4 bytes");

// A view of a layer: `stride` pixels from one row to the next.
struct FlameSourceImage {
  const FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};

struct FlameOutputImage {
  FlamePixel* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};

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

// Process-wide render state, shared by every sequence.
extern bool resetPending;      // set at load
extern float stepCredit;       // 0 at load
extern float stepIncrement;    // 1.0 at load
extern FlamePalette renderPalette;
extern FlameColorTable renderColorTable;

// Renders one frame into `output`. The output's stride is the flame field's column count.
FlameRenderResult RenderFlame(FlameSequenceData& sequence, const FlameRenderValues& values,
                              const FlameSourceImage& source, const FlameOutputImage& output);

// Fills the interior of the mask (two cells in from every edge) from the source brightness,
// skipping transparent pixels and pixels outside the source image.
void BuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                     int32_t invert);

// Colours rows 1 .. rows - 1, columns 0 .. width - 1 of the heat field into `output`, which
// shares the field's stride; row 0 and the columns beyond the width are not written.
void ColourFlameField(const uint8_t* field, int stride, int width, int rows,
                      const FlameColorTable& table, int32_t alpha, FlamePixel* output);

// "Fire Direction" (16.16 fixed-point degrees) to a direction code.
int FlameDirectionCode(int32_t fixedDegrees);

// The step credit's stepping for one render: returns 0, 2, 3 or 5 steps to run.
int TakeStepCredit();

// Restarts the stepping from "Velocity": reseeds the generator, credit 2.0, new increment.
void RestartStepCredit(int velocity);

// The output pixel for heat h through `table` with the given "Alpha".
FlamePixel FlameHeatPixel(uint8_t heat, const FlameColorTable& table, int32_t alpha);
