#include "flame/render_flame.h"

#include <cstddef>
#include <cstdint>

#include "flame/flame_field.h"
#include "flame/fast_flame.h"
#include "flame/flame_engine.h"
#include "flame/flame_random.h"
#include "flame/plain_flame.h"
#include "flame/page_memory.h"

bool resetPending = true;
float stepCredit = 0.0f;
float stepIncrement = 1.0f;
FlamePalette renderPalette = {};
FlameColorTable renderColorTable = {};

namespace {

constexpr int kWarmUpSteps = 50;

// Makes the three buffers for a frame of `stride` x `rows`, zero-filled. On failure nothing
// is kept and the record is left empty, so that the next render tries again.
bool AllocateFlameBuffers(FlameSequenceData& sequence, int32_t width, int32_t rows,
                          int32_t stride) {
  ReleaseFlameBuffers(sequence);
  const uint64_t size = static_cast<uint64_t>(stride) * static_cast<uint64_t>(rows);
  if (size > SIZE_MAX) return false;
  sequence.mask = static_cast<uint8_t*>(AllocatePages(static_cast<size_t>(size)));
  sequence.field = static_cast<uint8_t*>(AllocatePages(static_cast<size_t>(size)));
  sequence.drops = static_cast<uint8_t*>(AllocatePages(static_cast<size_t>(size)));
  if (!sequence.mask || !sequence.field || !sequence.drops) {
    ReleaseFlameBuffers(sequence);
    return false;
  }
  sequence.width = width;
  sequence.height = rows;
  return true;
}

// The buffers must be remade when the frame size changed, and also when the output's stride
// grew so far that stride x height no longer fits in them.
bool BuffersFit(const FlameSequenceData& sequence, int32_t width, int32_t rows, int32_t stride) {
  if (sequence.width != width || sequence.height != rows || !sequence.field) return false;
  const uint64_t size = static_cast<uint64_t>(stride) * static_cast<uint64_t>(rows);
  return AllocatedPagesSize(sequence.field) >= size;
}

}  // namespace

int FlameDirectionCode(int32_t fixedDegrees) {
  int degrees = (fixedDegrees >> 16) % 360;
  if (degrees < 0) degrees += 360;
  if (degrees <= 21) return kFlameUp;
  if (degrees <= 66) return kFlameUpRight;
  if (degrees <= 111) return kFlameRight;
  if (degrees <= 156) return kFlameDownRight;
  if (degrees <= 201) return kFlameDown;
  if (degrees <= 246) return kFlameDownLeft;
  if (degrees <= 291) return kFlameLeft;
  if (degrees <= 336) return kFlameUpLeft;
  return kFlameUp;
}

void RestartStepCredit(int velocity) {
  FlameRandom::Seed(0);
  stepCredit = 2.0f;
  const double q = static_cast<double>(1.0f / 99.0f);
  stepIncrement = static_cast<float>(2.0 * (0.04 + (((velocity - 1) * q) * 0.96)));
}

int TakeStepCredit() {
  const double s = static_cast<double>(stepCredit) + static_cast<double>(stepIncrement);
  stepCredit = static_cast<float>(s);
  int steps = 0;
  if (s >= 2.0) {  // the unrounded sum decides
    stepCredit = stepCredit - 1.0f;
    steps += 3;
  }
  if (stepCredit >= 1.0f) {
    stepCredit = stepCredit - 1.0f;
    steps += 2;
  }
  return steps;
}

FlamePixel FlameHeatPixel(uint8_t heat, const FlameColorTable& table, int32_t alpha) {
  if (heat == 0) return {0, 0, 0, 0};
  double t;
  if (heat <= 155) {
    t = (heat - 155) * static_cast<double>(1.0f / 155.0f);
  } else {
    t = (heat - 155) * 0.01;
  }
  int p = static_cast<int>(t * t * 255);
  if (p > 255) p = 255;
  const uint8_t* entry = table.entries[255 - p];
  const uint8_t red = entry[kEntryRed], green = entry[kEntryGreen], blue = entry[kEntryBlue];
  int M = red > green ? red : green;
  if (blue > M) M = blue;
  double a;
  if (M > alpha) {
    a = 1.0;
  } else if (M == 0) {
    a = 0.0;
  } else {
    a = static_cast<double>(M) / alpha;
  }
  const auto alphaByte = static_cast<uint8_t>(static_cast<int>(255 * a * a + 0.5));
  return {alphaByte, red, green, blue};
}

void PlainBuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                          int32_t invert) {
  // Only the interior two cells in from every edge is written; the border stays 0 from the
  // allocation. A transparent source pixel, or one the source does not have, keeps its cell.
  for (int y = 2; y <= rows - 3; ++y) {
    if (y >= source.height) break;
    const FlamePixel* row = source.pixels + static_cast<ptrdiff_t>(y) * source.stride;
    for (int x = 2; x <= stride - 3; ++x) {
      if (x >= source.width) break;
      const FlamePixel& pixel = row[x];
      if (pixel.alpha == 0) continue;
      int M = pixel.red > pixel.green ? pixel.red : pixel.green;
      if (pixel.blue > M) M = pixel.blue;
      mask[static_cast<ptrdiff_t>(y) * stride + x] =
          static_cast<uint8_t>(invert ? 255 - M : M);
    }
  }
}

FlameRenderResult RenderFlame(FlameSequenceData& sequence, const FlameRenderValues& v,
                              const FlameSourceImage& source, const FlameOutputImage& output) {
  if (v.customColor) {
    BuildFlamePalette(renderPalette, v.color1, v.color2, v.color3, v.color4, v.color2Position,
                      v.color3Position);
  }
  FillFlameColorTable(renderColorTable, v.customColor, renderPalette);

  const int32_t width = v.frameWidth;
  const int32_t rows = v.frameHeight;
  const int32_t stride = output.stride;
  // A frame without pixels, or an output narrower than the frame, has nothing to draw.
  if (width <= 0 || rows <= 0 || stride < width) return FlameRenderResult::kDone;

  if (!BuffersFit(sequence, width, rows, stride)) {
    if (!AllocateFlameBuffers(sequence, width, rows, stride)) {
      return FlameRenderResult::kOutOfMemory;
    }
    resetPending = true;
  }

  const int direction = FlameDirectionCode(v.fireDirection);
  if (SelectedFlameEngine() == FlameEngine::kFast) {
    FastBuildMaskAndDrops(stride, rows, source, sequence.mask, v.invertSource, v.drop,
                          sequence.drops);
  } else {
    BuildSourceMask(stride, rows, source, sequence.mask, v.invertSource);
    if (v.drop) ScatterDrops(stride, rows, sequence.mask, sequence.drops);
  }

  auto step = [&] {
    StepFlameField(sequence.field, sequence.mask, sequence.drops, stride, rows, v.height, v.soot,
                   v.width, v.amplitude, direction, v.drop, v.velocity);
  };

  if (resetPending || v.frameIndex == 1) {
    resetPending = false;
    RestartStepCredit(v.velocity);
    if (!v.birth) {
      for (int i = 0; i < kWarmUpSteps; ++i) step();
    }
  }
  const int steps = TakeStepCredit();
  for (int i = 0; i < steps; ++i) step();

  const int32_t shownRows = output.height > 0 && output.height < rows ? output.height : rows;
  ColourFlameField(sequence.field, stride, width, shownRows, renderColorTable, v.alpha,
                   output.pixels);
  return FlameRenderResult::kDone;
}

void PlainColourFlameField(const uint8_t* field, int stride, int width, int rows,
                           const FlameColorTable& table, int32_t alpha, FlamePixel* output) {
  // Row 0 of the output is never written, nor columns at or beyond the frame width.
  for (int32_t x = 0; x < width; ++x) {
    for (int32_t y = 1; y < rows; ++y) {
      const ptrdiff_t i = static_cast<ptrdiff_t>(y) * stride + x;
      output[i] = FlameHeatPixel(field[i], table, alpha);
    }
  }
}

// The public passes run the engine that is selected.

void BuildSourceMask(int stride, int rows, const FlameSourceImage& source, uint8_t* mask,
                     int32_t invert) {
  if (SelectedFlameEngine() == FlameEngine::kFast) {
    FastBuildSourceMask(stride, rows, source, mask, invert);
  } else {
    PlainBuildSourceMask(stride, rows, source, mask, invert);
  }
}

void ColourFlameField(const uint8_t* field, int stride, int width, int rows,
                      const FlameColorTable& table, int32_t alpha, FlamePixel* output) {
  if (SelectedFlameEngine() == FlameEngine::kFast) {
    FastColourFlameField(field, stride, width, rows, table, alpha, output);
  } else {
    PlainColourFlameField(field, stride, width, rows, table, alpha, output);
  }
}
