// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/render_flame.h"

#include <cstddef>
#include <cstdint>

#include "flame/flame_field.h"
#include "flame/page_memory.h"

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

void RestartStepCredit(FlameState& state, int velocity) {
  state.random.Seed(0);
  state.stepCredit = 2.0f;
  const double q = static_cast<double>(1.0f / 99.0f);
  state.stepIncrement = static_cast<float>(2.0 * (0.04 + (((velocity - 1) * q) * 0.96)));
}

int TakeStepCredit(FlameState& state) {
  float& credit = state.stepCredit;
  const double s = static_cast<double>(credit) + static_cast<double>(state.stepIncrement);
  credit = static_cast<float>(s);
  int steps = 0;
  if (s >= 2.0) {  // the unrounded sum decides
    credit = credit - 1.0f;
    steps += 3;
  }
  if (credit >= 1.0f) {
    credit = credit - 1.0f;
    steps += 2;
  }
  return steps;
}

FlameRenderResult RenderFlame(FlameState& state, FlameSequenceData& sequence,
                              const FlameRenderValues& v, const FlameSourceImage& source,
                              const FlameOutputImage& output) {
  if (v.customColor) {
    BuildFlamePalette(state.renderPalette, v.color1, v.color2, v.color3, v.color4, v.color2Position,
                      v.color3Position);
  }
  FillFlameColorTable(state.renderColorTable, v.customColor, state.renderPalette);

  const int32_t width = v.frameWidth;
  const int32_t rows = v.frameHeight;
  const int32_t stride = output.stride;
  // A frame without pixels, or an output narrower than the frame, has nothing to draw.
  if (width <= 0 || rows <= 0 || stride < width) return FlameRenderResult::kDone;

  if (!BuffersFit(sequence, width, rows, stride)) {
    if (!AllocateFlameBuffers(sequence, width, rows, stride)) {
      return FlameRenderResult::kOutOfMemory;
    }
    state.resetPending = true;
  }

  const int direction = FlameDirectionCode(v.fireDirection);
  BuildMaskAndDrops(state, stride, rows, source, sequence.mask, v.invertSource, v.drop,
                    sequence.drops);

  auto step = [&] {
    StepFlameField(state, sequence.field, sequence.mask, sequence.drops, stride, rows, v.height, v.soot,
                   v.width, v.amplitude, direction, v.drop, v.velocity);
  };

  if (state.resetPending || v.frameIndex == 1) {
    state.resetPending = false;
    RestartStepCredit(state, v.velocity);
    if (!v.birth) {
      for (int i = 0; i < kWarmUpSteps; ++i) step();
    }
  }
  const int steps = TakeStepCredit(state);
  for (int i = 0; i < steps; ++i) step();

  if (!output.pixels) return FlameRenderResult::kDone;
  const int32_t shownRows = output.height > 0 && output.height < rows ? output.height : rows;
  ColourFlameField(state, sequence.field, stride, width, shownRows, state.renderColorTable,
                   v.alpha, output.pixels);
  return FlameRenderResult::kDone;
}
