// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/golden_scenario.h"

#include <cstdint>

#include "minihost/effect_host.h"
#include "tests/support/digest.h"

namespace {

// A bright blob low in the middle on a dim ramp, with a transparent strip on the left: integer
// arithmetic only, so both platforms start from the same bytes.
std::vector<PF_Pixel> GoldenSource() {
  std::vector<PF_Pixel> pixels(kGoldenWidth * kGoldenHeight);
  for (int y = 0; y < kGoldenHeight; ++y) {
    for (int x = 0; x < kGoldenWidth; ++x) {
      const int dx = x - 32, dy = y - 34;
      const int distance = dx * dx * 4 + dy * dy * 9;
      const int level = distance < 900 ? 255 - distance / 4 : (x * 3 + y * 2) & 0x7F;
      PF_Pixel& p = pixels[y * kGoldenWidth + x];
      p.alpha = x < 4 ? 0 : 255;
      p.red = static_cast<uint8_t>(level);
      p.green = static_cast<uint8_t>(level * 3 / 4);
      p.blue = static_cast<uint8_t>(level / 2);
    }
  }
  return pixels;
}

struct GoldenCase {
  const char* name;
  void (*setUp)(EffectHost& host);
  int restartAfter;  // frames before rendering restarts at frame 1; 0 for none
};

constexpr int32_t Degrees(int degrees) { return degrees * 65536; }

const GoldenCase kCases[] = {
    {"defaults", [](EffectHost&) {}, 0},
    {"custom colours",
     [](EffectHost& host) {
       host.SetValue("Custom Color", 1);
       host.SetColor("Color 1", 255, 240, 200);
       host.SetColor("Color 2", 255, 160, 40);
       host.SetColor("Color 3", 150, 20, 60);
       host.SetColor("Color 4", 10, 0, 30);
       host.SetValue("Color 2 Position", 60);
       host.SetValue("Color 3 Position", 200);
       host.SetValue("Alpha", 128);
     },
     0},
    {"direction 135, velocity 80",
     [](EffectHost& host) {
       host.SetValue("Fire Direction", Degrees(135));
       host.SetValue("Velocity", 80);
     },
     0},
    {"birth off, drop off, plain source",
     [](EffectHost& host) {
       host.SetValue("Birth", 0);
       host.SetValue("Drop", 0);
       host.SetValue("Invert Source", 0);
       host.SetValue("Height", 5);
       host.SetValue("Soot", 3);
       host.SetValue("Width", 20);
       host.SetValue("Amplitude", 40);
     },
     0},
    {"direction 270, restarted at frame 1",
     [](EffectHost& host) { host.SetValue("Fire Direction", Degrees(270)); }, 12},
};

std::string RunCase(EffectHost& host, const GoldenCase& c, const std::vector<PF_Pixel>& source) {
  uint64_t hash = Fnv1a64(nullptr, 0);
  if (host.Start() != PF_Err_NONE) return "start failed";
  host.SetFrame(kGoldenWidth, kGoldenHeight);
  host.SetInput(source.data(), kGoldenWidth, kGoldenHeight);
  c.setUp(host);
  for (int n = 0; n < kGoldenFrames; ++n) {
    const int frame = c.restartAfter > 0 && n >= c.restartAfter ? n - c.restartAfter + 1 : n + 1;
    if (host.Render(frame) != PF_Err_NONE) return "render failed";
    hash = Fnv1a64(host.Output().data(), host.Output().size() * sizeof(PF_Pixel), hash);
  }
  host.Stop();
  return DigestHex(hash);
}

// Every case with a host of its own, each driving the same fire.
template <class Target>
std::vector<GoldenCaseDigest> RunCases(Target& target) {
  const std::vector<PF_Pixel> source = GoldenSource();
  std::vector<GoldenCaseDigest> results;
  for (const GoldenCase& c : kCases) {
    EffectHost host(target);
    results.push_back({c.name, RunCase(host, c, source)});
  }
  return results;
}

}  // namespace

std::vector<GoldenCaseDigest> RunGoldenScenario(PF_EffectEntry entry) { return RunCases(entry); }

std::vector<GoldenCaseDigest> RunGoldenScenario(EffectInstance& instance) {
  return RunCases(instance);
}

const std::vector<GoldenCaseDigest>& ExpectedGoldenDigests() {
  static const std::vector<GoldenCaseDigest> expected = {
      {"defaults", "21a88b780bf3b741"},
      {"custom colours", "009cb12ced56f2cb"},
      {"direction 135, velocity 80", "055a4c97dbbe25b7"},
      {"birth off, drop off, plain source", "8b5354f75af3667d"},
      {"direction 270, restarted at frame 1", "9c999f3d9016a5a0"},
  };
  return expected;
}
