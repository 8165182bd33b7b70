// SPDX-License-Identifier: GPL-2.0-or-later
// One render's passes, each timed on its own: the source mask, the drop pass, and for one
// step the direction pass, the disc seeding and the drop overlay, then the colouring. The
// buffers come from a host that has rendered a few frames, so the fire is burning and every
// pass sees the data it sees in a real render.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_scene.h"
#include "bench/render_bench.h"
#include "flame/flame_field.h"
#include "flame/flame_state.h"
#include "flame/render_flame.h"
#include "tests/support/engine_passes.h"

namespace {

enum Pass { kMask, kDrops, kDirection, kSeeding, kOverlay, kColour, kPassCount };
const char* const kPassNames[kPassCount] = {"mask_ms",    "drops_ms",   "direction_ms",
                                            "seeding_ms", "overlay_ms", "colour_ms"};

void PassBenchmark(benchmark::State& state, const BenchSize& size, FlameEngine engine) {
  BenchFire& fire = BenchHost(std::string("passes/") + size.name, size, 0, engine);
  EffectHost& host = fire.host;
  FlameState& flame = fire.instance.flame;
  const size_t cells = static_cast<size_t>(size.width) * size.height;
  auto* sequence = static_cast<FlameSequenceData*>(
      host.InData().utils->host_lock_handle(host.SequenceHandle()));
  std::vector<uint8_t> mask(sequence->mask, sequence->mask + cells);
  std::vector<uint8_t> field(sequence->field, sequence->field + cells);
  std::vector<uint8_t> drops(sequence->drops, sequence->drops + cells);
  host.InData().utils->host_unlock_handle(host.SequenceHandle());
  const FlameColorTable table = flame.renderColorTable;
  const auto& pixels = BenchSource(size);
  const FlameSourceImage source = {reinterpret_cast<const FlamePixel*>(pixels.data()),
                                   size.width, size.height, size.width};
  std::vector<FlamePixel> output(cells);
  const int W = size.width, H = size.height;

  double spent[kPassCount] = {};
  for (auto _ : state) {
    double t[kPassCount + 1];
    t[0] = BenchSeconds();
    BuildSourceMask(flame, W, H, source, mask.data(), 1);
    t[1] = BenchSeconds();
    ScatterDrops(flame, W, H, mask.data(), drops.data());
    t[2] = BenchSeconds();
    const uint32_t jitter = static_cast<uint32_t>(flame.random.Next());
    FlameDirectionPass(flame, field.data(), W, H, 13, 1, jitter, kFlameUp);
    t[3] = BenchSeconds();
    SeedFlameDiscs(flame, field.data(), mask.data(), W, H, 41, 12, 45);
    t[4] = BenchSeconds();
    OverlayFlameDrops(flame, field.data(), drops.data(), W, H);
    t[5] = BenchSeconds();
    ColourFlameField(flame, field.data(), W, W, H, table, 213, output.data());
    t[6] = BenchSeconds();
    double total = 0;
    for (int p = 0; p < kPassCount; ++p) {
      const double s = t[p + 1] - t[p];
      spent[p] += s;
      total += s;
    }
    state.SetIterationTime(total);
    benchmark::DoNotOptimize(output.data());
  }
  const double n = static_cast<double>(state.iterations());
  for (int p = 0; p < kPassCount; ++p) state.counters[kPassNames[p]] = spent[p] / n * 1e3;
}

}  // namespace

void RegisterPassBenchmarks() {
  for (FlameEngine engine : {FlameEngine::kPlain, FlameEngine::kFast}) {
    const char* engineName = engine == FlameEngine::kFast ? "fast" : "plain";
    for (const BenchSize& size : kBenchSizes) {
      auto* b = benchmark::RegisterBenchmark(
          (std::string("passes/") + engineName + "/" + size.name).c_str(),
          [&size, engine](benchmark::State& state) { PassBenchmark(state, size, engine); });
      b->Unit(benchmark::kMillisecond)->UseManualTime();
      if (engine == FlameEngine::kPlain && size.width >= 3840) {
        b->Iterations(4);
      } else {
        b->MinTime(0.3);
      }
    }
  }
}
