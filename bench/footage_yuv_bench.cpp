// SPDX-License-Identifier: GPL-2.0-or-later
// An MP4's frames turned into the YUV its encoder takes (weighted by alpha, converted on the
// cores), per frame: rendered fire frames as they are (mostly transparent) and made opaque, as
// the fire laid over footage is.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/footage_scene.h"
#include "cli/media/footage_module.h"

namespace {

void YuvConversion(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  std::vector<std::vector<uint8_t>> frames = RenderWordmarkFrames(width, height, 4);
  if (state.range(2)) {
    for (std::vector<uint8_t>& frame : frames) {
      for (size_t i = 3; i < frame.size(); i += 4) frame[i] = 255;
    }
  }
  const std::unique_ptr<YuvFrames> yuv = MakeYuvFrames(width, height, 4);
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(yuv->Convert(frames[next++ % frames.size()].data()).data());
  }
}

BENCHMARK(YuvConversion)
    ->ArgNames({"width", "height", "opaque"})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({640, 360, 0})
    ->Args({640, 360, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
