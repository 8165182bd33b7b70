// SPDX-License-Identifier: GPL-2.0-or-later
// Fire over footage against its floor and against ffmpeg driving our own frei0r filter, run as a
// user runs them, one after the other in each round so that all three see the same machine:
//   render  fyrel render --source clip.mp4 --composite over --video fire.mp4
//   floor   ffmpeg -i fire.mp4 -c:v libx264 -crf 18 -pix_fmt yuv420p -movflags +faststart
//           -c:a copy floor.mp4: a decode and an encode of the very pictures the render wrote,
//           with the renderer's own encoder settings
//   frei0r  the README's line (frei0r=fyrel with overlay) with the same encoder settings, our
//           fyrel.so found through FREI0R_PATH
// The counters give each job's median wall-clock seconds and its median CPU seconds (the program
// and its children) over the rounds, and the render's ratios to the other two. The clip is 120
// frames of 1080p H.264 with AAC sound made from ffmpeg's testsrc2, or the file named by
// FYREL_BENCH_CLIP.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kWork = "fyrel-transcode-bench";

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `args` (found on PATH or by its path) with its output thrown away; false when it fails.
bool Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// One job's wall-clock and CPU seconds, a pair per round.
struct Job {
  std::vector<double> wall, cpu;
  void Time(const std::vector<std::string>& args, bool* ok) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = ChildCpuSeconds();
    *ok = Run(args) && *ok;
    wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(ChildCpuSeconds() - cpuBefore);
  }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

std::string Clip() {
  if (const char* given = std::getenv("FYREL_BENCH_CLIP")) return given;
  fs::create_directories(kWork);
  const std::string clip = (kWork / "clip.mp4").string();
  if (!fs::exists(clip)) {
    Run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=30",
         "-f", "lavfi", "-i", "sine=duration=4", "-frames:v", "120", "-c:v", "libx264",
         "-pix_fmt", "yuv420p", "-c:a", "aac", clip});
  }
  return clip;
}

void FireOverFootage(benchmark::State& state) {
  const std::string clip = Clip();
  fs::create_directories(kWork);
  const std::string fire = (kWork / "fire.mp4").string();
  const std::string floor = (kWork / "floor.mp4").string();
  const std::string frei0r = (kWork / "frei0r.mp4").string();
  const std::vector<std::string> encoder = {"-c:v", "libx264", "-crf", "18", "-pix_fmt", "yuv420p",
                                            "-movflags", "+faststart", "-c:a", "copy"};
  const auto withEncoder = [&](std::vector<std::string> args, const std::string& out) {
    args.insert(args.end(), encoder.begin(), encoder.end());
    args.push_back(out);
    return args;
  };
  ::setenv("FREI0R_PATH", FYREL_FREI0R_DIR, 1);
  Job render, floorJob, frei0rJob;
  for (auto _ : state) {
    bool ok = true;
    render.Time({FYREL_EXE, "render", "--source", clip, "--composite", "over", "--video", fire,
                 "--quiet"},
                &ok);
    floorJob.Time(withEncoder({"ffmpeg", "-v", "error", "-y", "-i", fire}, floor), &ok);
    frei0rJob.Time(withEncoder({"ffmpeg", "-v", "error", "-y", "-i", clip, "-filter_complex",
                                "[0:v]format=rgba,split[bg][src];[src]frei0r=fyrel[fire];"
                                "[bg][fire]overlay=format=auto,format=yuv420p"},
                               frei0r),
                   &ok);
    if (!ok) state.SkipWithError("ffmpeg or fyrel failed");
  }
  const double renderWall = Median(render.wall);
  state.counters["render_s"] = renderWall;
  state.counters["floor_s"] = Median(floorJob.wall);
  state.counters["frei0r_s"] = Median(frei0rJob.wall);
  state.counters["render_to_floor"] = renderWall / Median(floorJob.wall);
  state.counters["render_to_frei0r"] = renderWall / Median(frei0rJob.wall);
  state.counters["render_cpu_s"] = Median(render.cpu);
  state.counters["floor_cpu_s"] = Median(floorJob.cpu);
  state.counters["frei0r_cpu_s"] = Median(frei0rJob.cpu);
}

BENCHMARK(FireOverFootage)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
