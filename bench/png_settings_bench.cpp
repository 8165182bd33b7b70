// SPDX-License-Identifier: GPL-2.0-or-later
// The fast PNG writer's settings, measured: each row filter with a few zlib levels and
// strategies, on 1920x1080 fire frames, against stb's encoder. Reports time and bytes per
// frame; PngSettings' defaults are the fastest setting whose files are no larger than
// ffmpeg's PNG encoder makes from the same frames (see the footage benchmark).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include <cstdio>
#include <string>

#include "bench/footage_scene.h"
#include "cli/platform/child_process.h"
#include "pictures/png_encoder.h"

namespace {

constexpr int kFrames = 8;

const std::vector<std::vector<uint8_t>>& Frames() {
  static const std::vector<std::vector<uint8_t>> frames =
      RenderWordmarkFrames(1920, 1080, kFrames);
  return frames;
}

template <typename Encode>
void EncodeFrames(benchmark::State& state, Encode encode) {
  const std::vector<std::vector<uint8_t>>& frames = Frames();
  size_t bytes = 0, encoded = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (const std::vector<uint8_t>& frame : frames) {
      bytes += encode(frame.data()).size();
      ++encoded;
    }
  }
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  state.counters["ms_per_frame"] = spent.count() / static_cast<double>(encoded);
  state.counters["KB_per_frame"] = static_cast<double>(bytes) / encoded / 1000.0;
}

void Stb(benchmark::State& state) {
  EncodeFrames(state, [](const uint8_t* rgba) { return EncodePngWithStb(rgba, 1920, 1080, 4); });
}

// ffmpeg's PNG encoder with its defaults, on the same frames: raw frames from a file in, the
// PNG images out through a pipe. Its time includes reading the frames.
void Ffmpeg(benchmark::State& state) {
  const std::vector<std::vector<uint8_t>>& frames = Frames();
  const std::string raw = "fyrel-bench-frames.rgba";
  std::FILE* file = std::fopen(raw.c_str(), "wb");
  for (const std::vector<uint8_t>& frame : frames) std::fwrite(frame.data(), 1, frame.size(), file);
  std::fclose(file);
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    ChildProcess ffmpeg({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "rawvideo", "-pix_fmt",
                         "rgba", "-video_size", "1920x1080", "-i", raw, "-c:v", "png", "-f",
                         "image2pipe", "pipe:1"},
                        ChildProcess::Pipe::kFromOutput, ChildProcess::Errors::kShown);
    std::vector<char> buffer(1 << 20);
    size_t got;
    while ((got = ffmpeg.Read(buffer.data(), buffer.size())) > 0) bytes += got;
    if (ffmpeg.Wait() != 0) state.SkipWithError("ffmpeg failed");
  }
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  std::remove(raw.c_str());
  state.counters["ms_per_frame"] = spent.count() / static_cast<double>(frames.size());
  state.counters["KB_per_frame"] = static_cast<double>(bytes) / frames.size() / 1000.0;
}

#if defined(FYREL_HAVE_SPNG)
void Spng(benchmark::State& state) {
  PngSettings settings;
  settings.filter = static_cast<int>(state.range(0));
  settings.level = static_cast<int>(state.range(1));
  settings.strategy = static_cast<int>(state.range(2));
  EncodeFrames(state, [&](const uint8_t* rgba) {
    return EncodePngWithSpng(rgba, 1920, 1080, 4, settings);
  });
}
#endif

}  // namespace

BENCHMARK(Stb)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Ffmpeg)->Unit(benchmark::kMillisecond)->Iterations(1);
#if defined(FYREL_HAVE_SPNG)
// filter (0 none, 1 sub, 2 up, 4 paeth, 5 chosen per row), zlib level, strategy (0 default,
// 1 filtered, 3 run-length).
BENCHMARK(Spng)
    ->ArgNames({"filter", "level", "strategy"})
    ->ArgsProduct({{0, 1, 2, 4, 5}, {1, 3, 4, 5, 6}, {0, 1, 3}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
#endif
