// SPDX-License-Identifier: GPL-2.0-or-later
// What the OpenFX plug-in's promise costs (frame t is the same fire in any order), per frame
// size: frames in order, each one step of the fire reading the host's source image where it
// lies and colouring into its output image; and the worst seek within a clip played once, a
// replay of one spacing of frames from the nearest saved state. Each is set against the
// engine's own frame (`fyrel_bench render/fast/<size>/defaults`), measured in the same run on
// the same scene (for frames in order, in runs taken by turns with the plug-in's); times are
// this process's CPU time, as in fyrel_bench (the thread that packs saved states included),
// and for frames in order also the wall time. Run it by hand (never a test):
//   build/bench/fyrel_ofx_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_scene.h"
#include "ofx/fire_timeline.h"
#include "ofx/ofx_image.h"

namespace {

// A host's image of the frame: RGBA bytes or floats, rows bottom-up.
struct HostImage {
  std::vector<unsigned char> memory;
  OfxImageView view;
};

HostImage MakeImage(const BenchSize& size, bool isFloat) {
  HostImage image;
  const size_t pixel = isFloat ? 16 : 4;
  image.memory.assign(static_cast<size_t>(size.width) * size.height * pixel, 0);
  image.view.data = image.memory.data();
  image.view.bounds = OfxRectI{0, 0, size.width, size.height};
  image.view.rowBytes = static_cast<int>(size.width * pixel);
  image.view.isFloat = isFloat;
  return image;
}

// The benchmarks' fixed source as the host hands it over.
class BenchInputs : public FireInputs {
 public:
  BenchInputs(const BenchSize& size, bool isFloat)
      : frame_{0, 0, size.width, size.height}, image_(MakeImage(size, isFloat)) {
    const std::vector<PF_Pixel>& source = BenchSource(size);
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        const PF_Pixel& p = source[static_cast<size_t>(size.height - 1 - y) * size.width + x];
        const uint8_t rgba[4] = {p.red, p.green, p.blue, p.alpha};
        const size_t at = static_cast<size_t>(y) * size.width + x;
        for (int c = 0; c < 4; ++c) {
          if (isFloat) {
            const float v = rgba[c] / 255.0f;
            std::memcpy(&image_.memory[(at * 4 + c) * 4], &v, sizeof v);
          } else {
            image_.memory[at * 4 + c] = rgba[c];
          }
        }
      }
    }
  }
  bool Values(int32_t, FireValues* values) override {
    *values = DefaultFireValues();
    return true;
  }
  FireStatus Source(int32_t, ConstPixelView* source) override {
    FrameViewOf(image_.view, frame_, source);
    return FireStatus::kOk;
  }
  const OfxRectI& Frame() const { return frame_; }

 private:
  OfxRectI frame_;
  HostImage image_;
};

struct Player {
  BenchInputs inputs;
  HostImage output;
  FireTimeline timeline;
  int32_t frame = 0;

  Player(const BenchSize& size, bool isFloat)
      : inputs(size, isFloat), output(MakeImage(size, isFloat)) {}
  // One render as the plug-in makes it: the fire's frame, then into the host's image.
  int32_t Render(int32_t at, const BenchSize& size) {
    timeline.Render(at, size.width, size.height, inputs);
    FlamePixel colours[256];
    timeline.Colours(colours);
    ColourHeatToImage(timeline.Heat(), colours, inputs.Frame(), inputs.Frame(), output.view);
    return timeline.FramesRenderedByLastCall();
  }
};

// One player at a time: the 4K ones are large.
Player& KeptPlayer(const std::string& key, const BenchSize& size, bool isFloat) {
  static std::string keptKey;
  static std::unique_ptr<Player> kept;
  if (!kept || keptKey != key) {
    kept.reset();
    kept = std::make_unique<Player>(size, isFloat);
    keptKey = key;
  }
  return *kept;
}

// The engine's own frame at this size, as fyrel_bench's render/fast/<size>/defaults measures
// it: the effect's render through the host of our own, on the burning bench scene, for half a
// second. Measured once per size and run.
double EngineFrameSeconds(const BenchSize& size) {
  static std::map<std::string, double> measured;
  const auto found = measured.find(size.name);
  if (found != measured.end()) return found->second;
  BenchFire& fire =
      BenchHost(std::string("ofx-reference/") + size.name, size, 0, FlameEngine::kFast);
  int frames = 0;
  const double start = BenchSeconds();
  double seconds = 0;
  while ((seconds = BenchSeconds() - start) < 0.5 || frames < 8) {
    fire.host.Render(fire.nextFrame++, false);
    ++frames;
  }
  return measured[size.name] = seconds / frames;
}

// The least a frame can cost on this machine: reading the host's source image and writing its
// output image once, as memcpy does it (the best of five).
double CopyFloorSeconds(const BenchSize& size, bool isFloat) {
  HostImage from = MakeImage(size, isFloat), to = MakeImage(size, isFloat);
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const double start = BenchSeconds();
    std::memcpy(to.memory.data(), from.memory.data(), from.memory.size());
    std::memcpy(from.memory.data(), to.memory.data(), to.memory.size());
    best = std::min(best, BenchSeconds() - start);
  }
  return best;
}

// The engine's frames beside the plug-in's: frames in order come in runs of kRun, each
// followed by as many of the engine's own frames (render/fast/<size>/defaults) at the same size,
// so that on a busy machine both are measured under the same load and the ratio holds.
constexpr int kRun = 16;

struct Clocks {
  double cpu = 0, wall = 0;
};

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Sequential(benchmark::State& state, const BenchSize& size, bool isFloat) {
  Player& player = KeptPlayer(std::string("sequential/") + size.name + (isFloat ? "/float" : "/byte"),
                              size, isFloat);
  BenchFire& engine =
      BenchHost(std::string("ofx-reference/") + size.name, size, 0, FlameEngine::kFast);
  Clocks ours, theirs;
  int64_t engineFrames = 0;
  int inRun = 0;
  for (auto _ : state) {
    const double cpu = BenchSeconds(), wall = WallSeconds();
    player.Render(++player.frame, size);
    ours.cpu += BenchSeconds() - cpu;
    ours.wall += WallSeconds() - wall;
    if (++inRun < kRun) continue;
    inRun = 0;
    state.PauseTiming();
    // The state being packed is done before the engine's run, which it would slow; the
    // packing's CPU time is the plug-in's.
    const double packing = BenchSeconds();
    player.timeline.FinishPacking();
    ours.cpu += BenchSeconds() - packing;
    const double engineCpu = BenchSeconds(), engineWall = WallSeconds();
    for (int k = 0; k < kRun; ++k) engine.host.Render(engine.nextFrame++, false);
    theirs.cpu += BenchSeconds() - engineCpu;
    theirs.wall += WallSeconds() - engineWall;
    engineFrames += kRun;
    state.ResumeTiming();
  }
  const double frames = static_cast<double>(state.iterations());
  const double seconds = ours.cpu / frames, wall = ours.wall / frames;
  const double engineSeconds = engineFrames ? theirs.cpu / engineFrames : 0;
  const double engineWall = engineFrames ? theirs.wall / engineFrames : 0;
  state.counters["ms/frame"] = seconds * 1e3;
  state.counters["engine_ms"] = engineSeconds * 1e3;
  state.counters["x_engine"] = engineFrames ? seconds / engineSeconds : 0;
  // What the host waits for is the wall time of a frame: CPU time and the time the busy
  // machine kept it waiting, set against the engine's one-threaded frame taken the same way.
  state.counters["wall_ms"] = wall * 1e3;
  state.counters["engine_wall_ms"] = engineWall * 1e3;
  state.counters["x_engine_wall"] = engineFrames ? wall / engineWall : 0;
  if (isFloat) {
    // Floats cost the host's images at four times the bytes: the engine's frame and the
    // copy floor of the two images is what a float frame could cost at least.
    const double floor = CopyFloorSeconds(size, isFloat);
    state.counters["copy_floor_ms"] = floor * 1e3;
    state.counters["x_engine_floor"] = engineFrames ? seconds / (engineSeconds + floor) : 0;
  }
  state.counters["saved_MB"] = static_cast<double>(player.timeline.Snapshots().Bytes()) / 1e6;
}

// Played once from frame 1 to `played`; then every render is a seek to a frame that lies a
// whole spacing after the nearest saved state (the farthest a seek back replays), alternating
// between two such frames. The instance's memory is its saved states and the fire's own
// buffers: three of a byte a cell and the source frame.
void WorstSeek(benchmark::State& state, const BenchSize& size, int32_t played) {
  const double engine = EngineFrameSeconds(size);
  Player& player = KeptPlayer(std::string("seek/") + size.name + "/" + std::to_string(played),
                              size, false);
  while (player.frame < played) player.Render(++player.frame, size);
  const int32_t spacing = player.timeline.Snapshots().Spacing();
  const int32_t targets[2] = {spacing * (played / spacing / 3), spacing * (2 * played / spacing / 3)};
  double replayed = 0, worst = 0;
  int turn = 0;
  for (auto _ : state) {
    const double start = BenchSeconds();
    replayed += player.Render(targets[turn++ % 2], size);
    worst = std::max(worst, BenchSeconds() - start);
  }
  const double cells = static_cast<double>(size.width) * size.height;
  state.counters["worst_ms"] = worst * 1e3;
  state.counters["x_engine"] = worst / engine;
  state.counters["engine_ms"] = engine * 1e3;
  state.counters["frames/seek"] = replayed / static_cast<double>(state.iterations());
  state.counters["spacing"] = spacing;
  state.counters["saved"] = static_cast<double>(player.timeline.Snapshots().Count());
  state.counters["saved_MB"] = static_cast<double>(player.timeline.Snapshots().Bytes()) / 1e6;
  state.counters["instance_MB"] =
      (static_cast<double>(player.timeline.Snapshots().Bytes()) + 7 * cells) / 1e6;
}

void Register() {
  for (const BenchSize& size : kBenchSizes) {
    for (bool isFloat : {false, true}) {
      benchmark::RegisterBenchmark(
          (std::string("OfxSequential/") + size.name + (isFloat ? "/float" : "/byte")).c_str(),
          Sequential, size, isFloat)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(1.0);
    }
  }
  for (const BenchSize& size : kBenchSizes) {
    for (int32_t played : {100, 1000}) {
      benchmark::RegisterBenchmark(
          (std::string("OfxWorstSeek/") + size.name + "/played" + std::to_string(played)).c_str(),
          WorstSeek, size, played)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(8);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
