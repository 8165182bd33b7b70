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

// memcpy of bytesPerPixel x the frame's pixels, between two blocks mapped beforehand.
void CopyBenchmark(benchmark::State& state, const BenchSize& size, int bytesPerPixel,
                   double TrafficFloor::*figure) {
  const size_t n = static_cast<size_t>(size.width) * size.height * bytesPerPixel;
  std::vector<unsigned char> from(n, 1), to(n, 0);
  const double start = BenchSeconds();
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), n);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  floors[size.name].*figure = (BenchSeconds() - start) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

}  // namespace

void RegisterFloorBenchmarks() {
  for (const BenchSize& size : kBenchSizes) {
    benchmark::RegisterBenchmark((std::string("floor/") + size.name + "/image").c_str(),
                                 [&size](benchmark::State& state) {
                                   CopyBenchmark(state, size, 4, &TrafficFloor::imageSeconds);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.3);
    benchmark::RegisterBenchmark((std::string("floor/") + size.name + "/buffers").c_str(),
                                 [&size](benchmark::State& state) {
                                   CopyBenchmark(state, size, 3, &TrafficFloor::buffersSeconds);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.3);
  }
}

const TrafficFloor& FloorOf(const char* sizeName) { return floors[sizeName]; }
