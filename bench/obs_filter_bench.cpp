// SPDX-License-Identifier: GPL-2.0-or-later
// The OBS filter's own CPU work per frame against the engine's frame, at 1280x720 and
// 1920x1080: the engine's frame is frame setup and render through the host of our own; the
// filter's step reads the source from OBS's premultiplied bytes and writes the result as them
// (alone, or over the source). Both on a fire already burning, fed the benchmarks' source.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "obs/obs_fire.h"

namespace {

constexpr int kWarmUp = 70;

void EngineFrame(benchmark::State& state, const BenchSize& size) {
  EffectInstance instance;
  EffectHost host(instance);
  host.SetTimeStep(1);
  host.SetFrame(size.width, size.height);
  host.SetInput(BenchSource(size).data(), size.width, size.height);
  host.Start();
  int32_t frame = 1;
  for (; frame <= kWarmUp; ++frame) host.FrameSetup(), host.Render(frame);
  for (auto _ : state) host.FrameSetup(), host.Render(frame++);
}

void FilterStep(benchmark::State& state, const BenchSize& size, bool fireAlone) {
  std::vector<uint8_t> source, out(BenchSource(size).size() * 4);
  for (const PF_Pixel& p : BenchSource(size)) source.insert(source.end(), {p.red, p.green, p.blue, p.alpha});
  std::unique_ptr<ObsFire> fire = ObsFire::Create(size.width, size.height);
  const uint32_t rowBytes = static_cast<uint32_t>(size.width) * 4;
  const EffectValues values = DefaultEffectValues();
  for (int i = 0; i < kWarmUp; ++i) fire->Step(source.data(), rowBytes, values, fireAlone, out.data(), rowBytes);
  for (auto _ : state) fire->Step(source.data(), rowBytes, values, fireAlone, out.data(), rowBytes);
}

}  // namespace

int main(int argc, char** argv) {
  for (const BenchSize& size : kBenchSizes) {
    if (size.width != 1280 && size.width != 1920) continue;
    const std::string name = std::string("/") + size.name;
    benchmark::RegisterBenchmark(("engine_frame" + name).c_str(), [&size](benchmark::State& s) { EngineFrame(s, size); });
    benchmark::RegisterBenchmark(("filter_step_over" + name).c_str(), [&size](benchmark::State& s) { FilterStep(s, size, false); });
    benchmark::RegisterBenchmark(("filter_step_alone" + name).c_str(), [&size](benchmark::State& s) { FilterStep(s, size, true); });
  }
  benchmark::Initialize(&argc, argv);
  benchmark::SetDefaultTimeUnit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
