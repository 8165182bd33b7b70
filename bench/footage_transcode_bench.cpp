// SPDX-License-Identifier: GPL-2.0-or-later
// Fire over footage against a plain transcode of the same clip, run as a user runs them:
//   fyrel render --source clip.mp4 --composite over --video out.mp4
//   ffmpeg -i clip.mp4 -c:v libx264 -crf 18 -pix_fmt yuv420p -movflags +faststart -c:a copy
// (the renderer's own encoder settings), one after the other in each round, so that both see
// the same machine; the counters give each one's wall-clock seconds and CPU seconds (the
// program and its children) and the ratio of the two. The clip is 120 frames of 1080p H.264
// with AAC sound made from ffmpeg's testsrc2, or the file named by FYREL_BENCH_CLIP.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

struct Timed {
  double wall = 0, cpu = 0;
};

Timed Time(const std::vector<std::string>& args, bool* ok) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu = ChildCpuSeconds();
  *ok = Run(args) && *ok;
  Timed timed;
  timed.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  timed.cpu = ChildCpuSeconds() - cpu;
  return timed;
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
  const std::string plain = (kWork / "plain.mp4").string();
  const std::string fire = (kWork / "fire.mp4").string();
  Timed transcode, render;
  int rounds = 0;
  for (auto _ : state) {
    bool ok = true;
    const Timed t = Time({"ffmpeg", "-v", "error", "-y", "-i", clip, "-c:v", "libx264", "-crf",
                          "18", "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-c:a", "copy",
                          plain},
                         &ok);
    const Timed r = Time({FYREL_EXE, "render", "--source", clip, "--composite", "over",
                          "--video", fire, "--quiet"},
                         &ok);
    if (!ok) state.SkipWithError("ffmpeg or fyrel failed");
    transcode.wall += t.wall;
    transcode.cpu += t.cpu;
    render.wall += r.wall;
    render.cpu += r.cpu;
    ++rounds;
  }
  state.counters["transcode_s"] = transcode.wall / rounds;
  state.counters["render_s"] = render.wall / rounds;
  state.counters["ratio"] = render.wall / transcode.wall;
  state.counters["transcode_cpu_s"] = transcode.cpu / rounds;
  state.counters["render_cpu_s"] = render.cpu / rounds;
  state.counters["cpu_ratio"] = render.cpu / transcode.cpu;
}

BENCHMARK(FireOverFootage)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
