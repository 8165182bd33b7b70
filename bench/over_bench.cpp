// SPDX-License-Identifier: GPL-2.0-or-later
// The renderer's colouring of a burning fire, per frame size: the heat alone into RGBA
// ("colour"), and over the benchmarks' source into RGBA (frames, webm) and into RGB weighted
// by alpha (an MP4): the difference is what laying the fire over its source costs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "bench/render_bench.h"
#include "effect/fire.h"
#include "effect/fire_over.h"

namespace {

enum class Colouring { kAlone, kOverRgba, kOverRgb };

void OverBenchmark(benchmark::State& state, const BenchSize& size, Colouring colouring) {
  std::vector<uint8_t> source;
  for (const PF_Pixel& p : BenchSource(size))
    source.insert(source.end(), {p.red, p.green, p.blue, p.alpha});
  const ConstPixelView under = PackedView(static_cast<const uint8_t*>(source.data()), size.width,
                                          size.height, PixelLayout::kRgba);
  const PixelLayout layout =
      colouring == Colouring::kOverRgb ? PixelLayout::kRgbWeighted : PixelLayout::kRgba;
  std::vector<uint8_t> out(source.size() / 4 * PixelBytes(layout));
  const PixelView into = PackedView(out.data(), size.width, size.height, layout);
  Fire fire;
  for (int32_t frame = 1; frame <= 70; ++frame) fire.Render(frame, under, into);  // burning
  FlamePixel colours[256];
  fire.Colours(colours);
  for (auto _ : state) {
    if (colouring == Colouring::kAlone) {
      ColourHeatInto(fire.Heat(), fire.Width(), colours, into);
    } else {
      ColourHeatOver(fire.Heat(), fire.Width(), colours, under, into);
    }
    benchmark::DoNotOptimize(out.data());
  }
}

}  // namespace

void RegisterOverBenchmarks() {
  const std::pair<const char*, Colouring> kinds[] = {
      {"colour", Colouring::kAlone}, {"rgba", Colouring::kOverRgba}, {"rgb", Colouring::kOverRgb}};
  for (const BenchSize& size : kBenchSizes) {
    for (const auto& [name, colouring] : kinds) {
      benchmark::RegisterBenchmark((std::string("over/") + size.name + "/" + name).c_str(),
                                   [&size, colouring = colouring](benchmark::State& state) {
                                     OverBenchmark(state, size, colouring);
                                   })
          ->Unit(benchmark::kMillisecond);
    }
  }
}
