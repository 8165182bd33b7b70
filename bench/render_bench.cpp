// SPDX-License-Identifier: GPL-2.0-or-later
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_scene.h"
#include "bench/render_bench.h"
#include "bench/traffic_floor.h"
#include "flame/flame_state.h"

namespace {

struct RenderScene {
  const char* name;
  int velocity;  // 0: the default
};

const RenderScene kScenes[] = {{"defaults", 0}, {"velocity100", 100}};

const char* EngineName(FlameEngine engine) {
  return engine == FlameEngine::kFast ? "fast" : "plain";
}

void RenderBenchmark(benchmark::State& state, const BenchSize& size, const RenderScene& scene,
                     FlameEngine engine) {
  BenchFire& fire = BenchHost("render/" + RenderKey(EngineName(engine), size.name, scene.name),
                              size, scene.velocity, engine);
  double steps = 0;
  const double start = BenchSeconds();
  for (auto _ : state) {
    steps += PeekRenderSteps(fire.instance.flame);
    fire.host.Render(fire.nextFrame++, false);
  }
  const double seconds = BenchSeconds() - start;
  const double frames = static_cast<double>(state.iterations());
  const double cells = static_cast<double>(size.width) * size.height;
  const FrameFigure figure{seconds / frames, steps / frames};
  RecordFrameFigure(RenderKey(EngineName(engine), size.name, scene.name), figure);
  state.counters["ms/frame"] = figure.seconds * 1e3;
  state.counters["steps/frame"] = figure.steps;
  state.counters["cell_steps/s"] = benchmark::Counter(cells * steps, benchmark::Counter::kIsRate);
  state.counters["x_floor"] = figure.seconds / FloorOf(size.name).ForSteps(figure.steps);
  state.counters["x_hot_floor"] = figure.seconds / HotFloorOf(size.name).ForSteps(figure.steps);
}

}  // namespace

std::string RenderKey(const char* engine, const char* size, const char* scene) {
  return std::string(engine) + "/" + size + "/" + scene;
}

void RegisterRenderBenchmarks() {
  for (FlameEngine engine : {FlameEngine::kPlain, FlameEngine::kFast}) {
    for (const BenchSize& size : kBenchSizes) {
      for (const RenderScene& scene : kScenes) {
        auto* b = benchmark::RegisterBenchmark(
            ("render/" + RenderKey(EngineName(engine), size.name, scene.name)).c_str(),
            [&size, &scene, engine](benchmark::State& state) {
              RenderBenchmark(state, size, scene, engine);
            });
        b->Unit(benchmark::kMillisecond);
        // The plain engine at 4K takes long per frame: a few frames say enough.
        if (engine == FlameEngine::kPlain && size.width >= 3840) {
          b->Iterations(4);
        } else {
          b->MinTime(0.5);
        }
      }
    }
  }
}

