// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/traffic_floor.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_scene.h"

namespace {

std::map<std::string, TrafficFloor> floors;
std::map<std::string, TrafficFloor> hotFloors;

// The copies of one render with two steps, per iteration, between blocks mapped beforehand.
void FloorBenchmark(benchmark::State& state, const BenchSize& size) {
  const size_t pixels = static_cast<size_t>(size.width) * size.height;
  std::vector<unsigned char> source(4 * pixels, 1), output(4 * pixels, 0);
  std::vector<unsigned char> buffers(3 * pixels, 2), copy(3 * pixels, 0);
  double image = 0, steps = 0;
  for (auto _ : state) {
    const double start = BenchSeconds();
    std::memcpy(output.data(), source.data(), source.size());
    benchmark::ClobberMemory();
    const double imageDone = BenchSeconds();
    for (int step = 0; step < 2; ++step) {
      std::memcpy(copy.data(), buffers.data(), buffers.size());
      benchmark::ClobberMemory();
    }
    steps += BenchSeconds() - imageDone;
    image += imageDone - start;
  }
  const double n = static_cast<double>(state.iterations());
  TrafficFloor& floor = floors[size.name];
  floor.imageSeconds = image / n;
  floor.buffersSeconds = steps / n / 2;
  state.counters["image_ms"] = floor.imageSeconds * 1e3;
  state.counters["step_ms"] = floor.buffersSeconds * 1e3;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(source.size() + 2 * buffers.size()));
}

// One kind of copy alone: memcpy of bytesPerPixel x the frame's pixels.
void HotCopyBenchmark(benchmark::State& state, const BenchSize& size, int bytesPerPixel,
                      double TrafficFloor::*figure) {
  const size_t n = static_cast<size_t>(size.width) * size.height * bytesPerPixel;
  std::vector<unsigned char> from(n, 1), to(n, 0);
  const double start = BenchSeconds();
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), n);
    benchmark::ClobberMemory();
  }
  hotFloors[size.name].*figure =
      (BenchSeconds() - start) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

}  // namespace

void RegisterFloorBenchmarks() {
  for (const BenchSize& size : kBenchSizes) {
    const std::string name = size.name;
    benchmark::RegisterBenchmark(("floor/" + name).c_str(),
                                 [&size](benchmark::State& state) { FloorBenchmark(state, size); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.3);
    benchmark::RegisterBenchmark(("hot_floor/" + name + "/image").c_str(),
                                 [&size](benchmark::State& state) {
                                   HotCopyBenchmark(state, size, 4, &TrafficFloor::imageSeconds);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.2);
    benchmark::RegisterBenchmark((std::string("hot_floor/") + name + "/buffers").c_str(),
                                 [&size](benchmark::State& state) {
                                   HotCopyBenchmark(state, size, 3, &TrafficFloor::buffersSeconds);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.2);
  }
}

const TrafficFloor& FloorOf(const char* sizeName) { return floors[sizeName]; }

const TrafficFloor& HotFloorOf(const char* sizeName) { return hotFloors[sizeName]; }
