// SPDX-License-Identifier: GPL-2.0-or-later
// A determinism lock over the whole engine: a fixed run of render steps, drop passes and
// preview steps whose resulting bytes, generator state and phases are pinned by one digest.
// The same run is checked against the plain models first, so the digest only pins behaviour
// that the models agree with.
#include <gtest/gtest.h>

#include <cstring>

#include "float_bits.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/preview_step.h"
#include "reference_flame.h"
#include "tests/support/digest.h"
#include "tests/support/engine_passes.h"

namespace {

using reference::Grid;

constexpr int kColumns = 97, kRows = 61;
constexpr int kPreviewColumns = 64, kPreviewRows = 48;

Grid GoldenMask() {
  Grid mask(kColumns * kRows);
  for (int y = 0; y < kRows; ++y)
    for (int x = 0; x < kColumns; ++x) {
      const int v = (x * x + 3 * y * y + x * y) % 256;
      mask[y * kColumns + x] = ((x * 7 + y * 13) % 5 == 0) ? 0 : static_cast<uint8_t>(v);
    }
  return mask;
}

reference::StepParams GoldenStep(int step) {
  static const int widths[] = {40, 7, 12, 100, 255, 0, 38, 19};
  return {3 + step % 5,        2 + step % 4, widths[step % 8], 10 + step * 7 % 90,
          step * 3 % 8,        step / 3 % 2, 30 + step * 9};
}

const PreviewSettings kPreviewRuns[] = {{12.0f, 3.0f, 20.0f, 40.0f, 60},
                                        {30.5f, 1.0f, 45.9f, 25.0f, 255},
                                        {0.0f, 0.0f, 3.0f, 100.0f, 1}};

struct GoldenRun {
  Grid field, drops, preview;
  uint32_t state;
  float band, preview_phase;
};

uint64_t DigestOf(const GoldenRun& run) {
  uint64_t h = Fnv1a64(run.field.data(), run.field.size());
  h = Fnv1a64(run.drops.data(), run.drops.size(), h);
  h = Fnv1a64(run.preview.data(), run.preview.size(), h);
  const uint32_t tail[3] = {run.state, FloatBits(run.band), FloatBits(run.preview_phase)};
  return Fnv1a64(tail, sizeof tail, h);
}

GoldenRun EngineRun(const Grid& mask, FlameEngine engine) {
  FlameState state;
  state.engine = engine;
  GoldenRun run{Grid(kColumns * kRows, 0), Grid(kColumns * kRows, 0),
          Grid(kPreviewColumns * kPreviewRows, 0), 0, 0, 0};
  state.random.Seed(0);
  for (int step = 0; step < 24; ++step) {
    const reference::StepParams p = GoldenStep(step);
    if (p.drop) ScatterDrops(state, kColumns, kRows, mask.data(), run.drops.data());
    StepFlameField(state, run.field.data(), mask.data(), run.drops.data(), kColumns, kRows,
                   p.height, p.soot, p.width, p.amplitude, p.direction, p.drop, p.velocity);
    if (step % 4 == 3)
      StepPreviewField(state, kPreviewColumns, kPreviewRows, run.preview.data(),
                       kPreviewRuns[step / 4 % 3]);
  }
  run.state = state.random.state;
  run.band = state.bandPhase;
  run.preview_phase = state.previewPhase;
  return run;
}

GoldenRun ModelRun(const Grid& mask) {
  GoldenRun run{Grid(kColumns * kRows, 0), Grid(kColumns * kRows, 0),
          Grid(kPreviewColumns * kPreviewRows, 0), 0, 0, 0};
  reference::Random random{0};
  for (int step = 0; step < 24; ++step) {
    const reference::StepParams p = GoldenStep(step);
    if (p.drop) reference::ScatterDrops(kColumns, kRows, mask, run.drops, random);
    reference::Step(run.field, mask, run.drops, kColumns, kRows, p, run.band, random);
    if (step % 4 == 3) {
      const PreviewSettings& s = kPreviewRuns[step / 4 % 3];
      reference::PreviewStep(kPreviewColumns, kPreviewRows, run.preview,
                             {s.height, s.soot, s.width, s.amplitude, s.velocity},
                             run.preview_phase, random);
    }
  }
  run.state = random.state;
  return run;
}

// Pinned once the engine agreed with every model-based and worked-example test.
constexpr uint64_t kGoldenDigest = 0xd5360fd2f64db802ull;

TEST(EngineGolden, FixedRunMatchesTheModelsAndTheDigestOnBothEngines) {
  const Grid mask = GoldenMask();
  const GoldenRun model = ModelRun(mask);
  for (FlameEngine choice : {FlameEngine::kPlain, FlameEngine::kFast}) {
    SCOPED_TRACE(choice == FlameEngine::kFast ? "fast engine" : "plain engine");
    const GoldenRun engine = EngineRun(mask, choice);
    EXPECT_EQ(engine.field, model.field);
    EXPECT_EQ(engine.drops, model.drops);
    EXPECT_EQ(engine.preview, model.preview);
    EXPECT_EQ(engine.state, model.state);
    EXPECT_EQ(FloatBits(engine.band), FloatBits(model.band));
    EXPECT_EQ(FloatBits(engine.preview_phase), FloatBits(model.preview_phase));
    EXPECT_EQ(DigestHex(DigestOf(engine)), DigestHex(kGoldenDigest));
  }
}

}  // namespace
