// SPDX-License-Identifier: GPL-2.0-or-later
// An MP4's frames turned into the YUV its encoder takes (weighted by alpha, converted on the
// cores), per frame: rendered fire frames as they are (RGBA, mostly transparent) and the fire
// laid over footage (opaque, sent as RGB). The CPU time is the process's, all threads'.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/footage_scene.h"
#include "cli/media/footage_module.h"

namespace {

void YuvConversion(benchmark::State& state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  const bool opaque = state.range(2) != 0;
  std::vector<std::vector<uint8_t>> frames = RenderWordmarkFrames(width, height, 4);
  if (opaque) {
    for (std::vector<uint8_t>& frame : frames) {
      for (size_t from = 0, to = 0; from < frame.size(); from += 4, to += 3) {
        std::copy_n(&frame[from], 3, &frame[to]);
      }
      frame.resize(frame.size() / 4 * 3);
    }
  }
  const std::unique_ptr<YuvFrames> yuv = MakeYuvFrames(width, height, opaque ? 3 : 4);
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
