// SPDX-License-Identifier: GPL-2.0-or-later
// An MP4's frames turned into the YUV its encoder takes (weighted by alpha, converted on the
// cores), per frame: rendered fire frames as they are (RGBA, mostly transparent) and the fire
// laid over footage (opaque RGBA, as the renderer sends it; RGB as the build without our own
// conversion makes it). The CPU time is the process's, all threads'.
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
  const bool rgb = state.range(3) != 0;
  std::vector<std::vector<uint8_t>> frames = RenderWordmarkFrames(width, height, 4);
  if (opaque) {
    for (std::vector<uint8_t>& frame : frames) {
      for (size_t i = 3; i < frame.size(); i += 4) frame[i] = 255;
    }
  }
  if (rgb) {
    for (std::vector<uint8_t>& frame : frames) {
      for (size_t from = 0, to = 0; from < frame.size(); from += 4, to += 3) {
        std::copy_n(&frame[from], 3, &frame[to]);
      }
      frame.resize(frame.size() / 4 * 3);
    }
  }
  const std::unique_ptr<YuvFrames> yuv = MakeYuvFrames(width, height, rgb ? 3 : 4);
  size_t next = 0;
  std::vector<uint8_t> planes;
  for (auto _ : state) {
    yuv->ConvertInto(frames[next++ % frames.size()].data(), &planes);
    benchmark::DoNotOptimize(planes.data());
  }
}

BENCHMARK(YuvConversion)
    ->ArgNames({"width", "height", "opaque", "rgb"})
    ->Args({1920, 1080, 0, 0})
    ->Args({1920, 1080, 1, 0})
    ->Args({1920, 1080, 1, 1})
    ->Args({640, 360, 0, 0})
    ->Args({640, 360, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
