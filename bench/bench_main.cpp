// SPDX-License-Identifier: GPL-2.0-or-later
// The flame benchmark: measures the memory-traffic floor of each frame size, runs the render
// and pass benchmarks for the plain and the fast engine, and closes with a summary table of
// time per frame and its ratio to the floor.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench/bench_scene.h"
#include "bench/render_bench.h"
#include "bench/traffic_floor.h"
#include "flame/fast/fast_row_kernels.h"

namespace {

std::string ProcessorModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) {
      const size_t colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(colon + 2);
    }
  }
  return "unknown";
}

void PrintSummary() {
  std::printf("\nTime per frame (CPU ms) and its ratio to the memory-traffic floor\n");
  for (const char* scene : {"defaults", "velocity100"}) {
    std::printf("\n%s\n", scene);
    std::printf("| size | steps/frame | plain ms | fast ms | speed-up | floor ms | plain/floor | "
                "fast/floor | hot floor ms | fast/hot floor |\n"
                "|---|---|---|---|---|---|---|---|---|---|\n");
    for (const BenchSize& size : kBenchSizes) {
      FrameFigure plain, fast;
      if (!FindFrameFigure(RenderKey("plain", size.name, scene), &plain) ||
          !FindFrameFigure(RenderKey("fast", size.name, scene), &fast)) {
        continue;
      }
      const double floor = FloorOf(size.name).ForSteps(fast.steps);
      const double hot = HotFloorOf(size.name).ForSteps(fast.steps);
      std::printf("| %s | %.2f | %.2f | %.3f | %.1fx | %.3f | %.1f | %.2f | %.3f | %.2f |\n",
                  size.name, fast.steps, plain.seconds * 1e3, fast.seconds * 1e3,
                  plain.seconds / fast.seconds, floor * 1e3, plain.seconds / floor,
                  fast.seconds / floor, hot * 1e3, fast.seconds / hot);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::AddCustomContext("cpu_model", ProcessorModel());
  benchmark::AddCustomContext("fast_vectors",
                              ProcessorHasAvx2() ? "32-byte (AVX2)" : "16-byte (SSE2)");
  RegisterFloorBenchmarks();
  RegisterRenderBenchmarks();
  RegisterPassBenchmarks();
  RegisterInstanceBenchmarks();
  RegisterOverBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
