// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/bench_scene.h"

#include <map>

#include "flame/render_flame.h"

const BenchSize kBenchSizes[4] = {
    {"640x480", 640, 480},
    {"1280x720", 1280, 720},
    {"1920x1080", 1920, 1080},
    {"3840x2160", 3840, 2160},
};

namespace {

std::map<std::string, std::vector<PF_Pixel>> sources;
std::map<std::string, FrameFigure> figures;

std::vector<PF_Pixel> MakeSource(const BenchSize& size) {
  const int w = size.width, h = size.height;
  std::vector<PF_Pixel> pixels(static_cast<size_t>(w) * h, PF_Pixel{255, 255, 255, 255});
  const int cx = w / 2, cy = h / 2, r = h / 3;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      PF_Pixel& p = pixels[static_cast<size_t>(y) * w + x];
      const int dx = x - cx, dy = y - cy;
      if (dx * dx + dy * dy < r * r) {
        p = {255, 20, 30, 60};  // the disc
      } else if (y > h * 4 / 5 && y < h * 9 / 10 && (x / (w / 64 + 1)) % 3 != 2) {
        p = {255, 0, 0, 0};  // a line of "letters"
      }
    }
  }
  return pixels;
}

}  // namespace

const std::vector<PF_Pixel>& BenchSource(const BenchSize& size) {
  auto found = sources.find(size.name);
  if (found == sources.end()) found = sources.emplace(size.name, MakeSource(size)).first;
  return found->second;
}

BenchFire& BenchHost(const std::string& key, const BenchSize& size, int velocity,
                     FlameEngine engine) {
  static std::string keptKey;
  static std::unique_ptr<BenchFire> kept;
  if (!kept || keptKey != key) {
    kept.reset();  // one fire at a time: the 4K ones are large
    kept = std::make_unique<BenchFire>();
    EffectHost& host = kept->host;
    host.Start();
    host.SetFrame(size.width, size.height);
    host.SetInput(BenchSource(size).data(), size.width, size.height);
    if (velocity > 0) host.SetValue("Velocity", velocity);
    host.SetValue("Birth", 0);
    host.Render(1, false);
    host.SetValue("Birth", 1);
    kept->nextFrame = 2;
    for (int i = 0; i < 20; ++i) host.Render(kept->nextFrame++, false);
    keptKey = key;
  }
  kept->instance.flame.engine = engine;
  return *kept;
}

int PeekRenderSteps(const FlameState& flame) {
  FlameState copy = flame;
  return TakeStepCredit(copy);
}

void RecordFrameFigure(const std::string& key, const FrameFigure& figure) {
  figures[key] = figure;
}

bool FindFrameFigure(const std::string& key, FrameFigure* figure) {
  const auto found = figures.find(key);
  if (found == figures.end()) return false;
  *figure = found->second;
  return true;
}
