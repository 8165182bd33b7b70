// SPDX-License-Identifier: GPL-2.0-or-later
// Fires side by side: frei0r instances of the filter, each a fire of its own, updated on one
// thread alone and on two threads at once. Nothing is shared between instances, so two
// threads should come close to twice the frames per second of one on two free cores.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "bench/render_bench.h"
#include "frei0r/fyrel_instance.h"

namespace {

void InstancesBenchmark(benchmark::State& state, const BenchSize& size) {
  // Every thread has an instance of its own, fed the benchmark's source as RGBA.
  const std::vector<PF_Pixel>& source = BenchSource(size);
  std::vector<uint32_t> in(source.size()), out(source.size());
  auto* bytes = reinterpret_cast<uint8_t*>(in.data());
  for (size_t i = 0; i < source.size(); ++i, bytes += 4) {
    bytes[0] = source[i].red;
    bytes[1] = source[i].green;
    bytes[2] = source[i].blue;
    bytes[3] = source[i].alpha;
  }
  std::unique_ptr<FyrelInstance> instance = FyrelInstance::Create(
      static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
  double time = 0;
  for (int i = 0; i < 20; ++i, time += 1.0 / 30) instance->Update(time, in.data(), out.data());
  for (auto _ : state) {
    instance->Update(time, in.data(), out.data());
    time += 1.0 / 30;
  }
  state.SetItemsProcessed(state.iterations());  // frames; summed over the threads
}

}  // namespace

void RegisterInstanceBenchmarks() {
  for (const BenchSize& size : kBenchSizes) {
    if (size.width > 1920) continue;
    for (int threads : {1, 2}) {
      benchmark::RegisterBenchmark((std::string("instances/") + size.name).c_str(),
                                   [&size](benchmark::State& state) {
                                     InstancesBenchmark(state, size);
                                   })
          ->Threads(threads)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond)
          ->MinTime(1.0);
    }
  }
}
