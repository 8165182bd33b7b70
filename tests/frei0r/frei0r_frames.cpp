// SPDX-License-Identifier: GPL-2.0-or-later
// A frei0r host of our own, built for Linux and for Windows: loads a frei0r module by path
// (fyrel.so or fyrel.dll) as video tools do, drives it through a fixed table of runs and
// writes every output frame, raw RGBA one after the other, into one file. The same table on
// both systems gives files that must be equal byte for byte.
//   frei0r_frames MODULE OUT_FILE
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/frei0r/frei0r_module.h"
#if defined(_WIN32)
#include "tests/windows/wine_path.h"
#endif

namespace {

// A source frame: a diagonal ramp with a bright block that moves with the frame, opaque.
std::vector<uint32_t> Source(unsigned width, unsigned height, unsigned frame) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      uint32_t v = (x * 255 / width + y * 128 / height) & 0xFF;
      if ((x + frame * 3) % width < width / 3 && y > height / 3 && y < 2 * height / 3) v = 250;
      const uint32_t r = v, g = (v * 3 / 4) & 0xFF, b = (255 - v) / 2;
      pixels[size_t(y) * width + x] = r | (g << 8) | (b << 16) | 0xFF000000u;  // RGBA bytes
    }
  }
  return pixels;
}

// Every parameter set from the run's seed, each by its own type: sliders and angles anywhere
// in 0..1, check boxes on or off, colours from their components.
void SetParams(const Frei0rModule& m, f0r_instance_t instance, int seed, int count) {
  for (int i = 0; i < count; ++i) {
    f0r_param_info_t info{};
    m.get_param_info(&info, i);
    if (info.type == F0R_PARAM_COLOR) {
      f0r_param_color_t c{float((seed * 13 + i * 5) % 11) / 10.0f, float((seed * 7 + i) % 5) / 4.0f,
                          float((seed + i * 3) % 9) / 8.0f};
      m.set_param_value(instance, &c, i);
    } else if (info.type == F0R_PARAM_BOOL) {
      double on = (seed + i) % 2;
      m.set_param_value(instance, &on, i);
    } else {
      double v = double((seed * 37 + i * 11) % 101) / 100.0;
      m.set_param_value(instance, &v, i);
    }
  }
}

struct Run {
  unsigned width, height;
  int seed;                   // the first instance's parameters
  int secondSeed;             // a second instance updated in turn with the first; 0 for none
  std::vector<double> times;  // one update per time, an earlier time restarts the fire
};

const Run kRuns[] = {
    {64, 48, 1, 0, {0.0, 0.04, 0.08, 0.12, 0.16, 0.2}},
    {33, 17, 2, 0, {0.0, 1.0, 2.0, 3.0, 4.0}},
    {160, 90, 3, 4, {0.0, 0.5, 1.0, 1.5}},
    {48, 32, 5, 0, {0.0, 1.0, 2.0, 0.0, 1.0}},
    {7, 5, 6, 9, {0.0, 1.0, 2.0}},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: frei0r_frames MODULE OUT_FILE\n");
    return 2;
  }
#if defined(_WIN32)
  const std::string modulePath = WindowsPath(argv[1]), outPath = WindowsPath(argv[2]);
#else
  const std::string modulePath = argv[1], outPath = argv[2];
#endif
  const Frei0rModule m = LoadFrei0rModuleAt(modulePath);
  if (!m.error.empty()) {
    std::fprintf(stderr, "frei0r_frames: %s\n", m.error.c_str());
    return 1;
  }
  if (!m.init()) {
    std::fprintf(stderr, "frei0r_frames: f0r_init failed\n");
    return 1;
  }
  f0r_plugin_info_t plugin{};
  m.get_plugin_info(&plugin);
  std::vector<char> bytes;
  int frames = 0;
  for (const Run& run : kRuns) {
    std::vector<f0r_instance_t> instances{m.construct(run.width, run.height)};
    if (run.secondSeed) instances.push_back(m.construct(run.width, run.height));
    for (size_t n = 0; n < instances.size(); ++n) {
      if (!instances[n]) {
        std::fprintf(stderr, "frei0r_frames: no instance of %ux%u\n", run.width, run.height);
        return 1;
      }
      SetParams(m, instances[n], n == 0 ? run.seed : run.secondSeed, plugin.num_params);
    }
    for (size_t t = 0; t < run.times.size(); ++t) {
      for (f0r_instance_t instance : instances) {
        const std::vector<uint32_t> in = Source(run.width, run.height, unsigned(t));
        std::vector<uint32_t> out(in.size(), 0xDEADBEEFu);
        m.update(instance, run.times[t], in.data(), out.data());
        const char* raw = reinterpret_cast<const char*>(out.data());
        bytes.insert(bytes.end(), raw, raw + out.size() * 4);
        ++frames;
      }
    }
    for (f0r_instance_t instance : instances) m.destruct(instance);
  }
  m.deinit();
  std::ofstream file(outPath, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), std::streamsize(bytes.size()));
  if (!file.flush()) {
    std::fprintf(stderr, "frei0r_frames: cannot write %s\n", outPath.c_str());
    return 1;
  }
  std::printf("%d frames of %d parameters\n", frames, plugin.num_params);
  return 0;
}
