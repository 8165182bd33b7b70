// SPDX-License-Identifier: GPL-2.0-or-later
// The renderer's output end to end, at 1920x1080 (and a smaller size) over 100 frames, both
// paths side by side in one run:
//   - a PNG sequence: the old writer (stb's encoder, in the render loop) against `fyrel
//     render --out`, which encodes with libspng on worker threads; with the size of the files
//     against ffmpeg's own PNG encoder on the same frames;
//   - a video: PNGs then ffmpeg reading them, against `fyrel render --video out.mp4`, which
//     pipes the frames straight into ffmpeg.
// The source is the built-in wordmark scaled up: a logo on fire, mostly transparent. A summary
// table closes the run, with wall-clock time and CPU time (this process's threads and its
// children, ffmpeg included): on a machine shared with other work the wall clock of the
// threaded paths depends on the cores left free, the CPU time much less.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/footage_scene.h"
#include "cli/commands/commands.h"
#include "cli/flags/command_line.h"
#include "cli/media/video_encoder.h"
#include "cli/output/frame_names.h"
#include "cli/platform/child_process.h"
#include "cli/platform/whole_file.h"
#include "pictures/png_encoder.h"
#include "cli/png/png_io.h"
#include "host/effect_main.h"
#include "minihost/effect_host.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 100;
const FootageSize kSizes[] = {{"1920x1080", 1920, 1080}, {"640x360", 640, 360}};

const fs::path kWork = "fyrel-footage-bench";

// Milliseconds per frame of each case, wall clock and CPU, by size, for the summary.
std::map<std::string, std::map<std::string, double>> results;
std::map<std::string, std::map<std::string, double>> cpuResults;

// CPU time used so far by this process and its waited-for children.
double CpuMilliseconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
             (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
  }
  return total;
}

struct Start {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  double cpu = CpuMilliseconds();
};

std::string SourceFor(const FootageSize& size) {
  fs::create_directories(kWork);
  const std::string path = (kWork / (std::string("source-") + size.name + ".png")).string();
  if (!fs::exists(path)) WriteWordmarkSource(path, size.width, size.height);
  return path;
}

uintmax_t BytesOfFrames(const fs::path& dir) {
  uintmax_t bytes = 0;
  for (int frame = 1; frame <= kFrames; ++frame) bytes += fs::file_size(dir / FrameFileName(frame));
  return bytes;
}

// The bytes ffmpeg's PNG encoder makes from the PNG files in `dir`, with its defaults.
uintmax_t FfmpegPngBytes(const fs::path& dir) {
  ChildProcess ffmpeg({"ffmpeg", "-nostdin", "-loglevel", "error", "-i",
                       (dir / "frame_%04d.png").string(), "-c:v", "png", "-f", "image2pipe",
                       "pipe:1"},
                      ChildProcess::Pipe::kFromOutput, ChildProcess::Errors::kShown);
  std::vector<char> buffer(1 << 20);
  uintmax_t bytes = 0;
  size_t got;
  while ((got = ffmpeg.Read(buffer.data(), buffer.size())) > 0) bytes += got;
  ffmpeg.Wait();
  return bytes;
}

void Report(benchmark::State& state, const FootageSize& size, const char* name,
            const Start& start) {
  const double wall =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start.wall)
          .count();
  results[size.name][name] = wall / kFrames;
  cpuResults[size.name][name] = (CpuMilliseconds() - start.cpu) / kFrames;
  state.counters["ms_per_frame"] = wall / kFrames;
  state.counters["cpu_ms_per_frame"] = cpuResults[size.name][name];
}

// The old path as it was: each frame rendered, converted and written with stb's encoder
// before the next one renders.
void StbPngSequence(benchmark::State& state, const FootageSize& size) {
  const RgbaImage source = ReadPngFile(SourceFor(size));
  const fs::path dir = kWork / (std::string("stb-") + size.name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (auto _ : state) {
    const Start start;
    EffectHost host(&EffectMain);
    host.Start();
    host.SetFrame(size.width, size.height);
    std::vector<PF_Pixel> input(source.pixels.size() / 4);
    for (size_t i = 0; i < input.size(); ++i) {
      const uint8_t* p = &source.pixels[i * 4];
      input[i] = PF_Pixel{p[3], p[0], p[1], p[2]};
    }
    host.SetInput(input.data(), size.width, size.height);
    std::vector<uint8_t> rgba(input.size() * 4);
    for (int frame = 1; frame <= kFrames; ++frame) {
      host.FrameSetup();
      host.Render(frame);
      for (int32_t y = 0; y < size.height; ++y) {
        const PF_Pixel* row = &host.Output()[static_cast<size_t>(y) * host.OutputStride()];
        uint8_t* out = &rgba[static_cast<size_t>(y) * size.width * 4];
        for (int32_t x = 0; x < size.width; ++x) {
          out[x * 4 + 0] = row[x].red;
          out[x * 4 + 1] = row[x].green;
          out[x * 4 + 2] = row[x].blue;
          out[x * 4 + 3] = row[x].alpha;
        }
      }
      WriteWholeFile((dir / FrameFileName(frame)).string(),
                     EncodePngWithStb(rgba.data(), size.width, size.height, 4));
    }
    host.Stop();
    Report(state, size, "stb PNG sequence", start);
  }
  state.counters["KB_per_frame"] = BytesOfFrames(dir) / 1000.0 / kFrames;
}

Invocation RenderInvocation(const FootageSize& size) {
  Invocation invocation;
  invocation.command = Command::kRender;
  invocation.sourcePath = SourceFor(size);
  invocation.frames = kFrames;
  invocation.framesGiven = true;
  invocation.quiet = true;
  return invocation;
}

void PngSequence(benchmark::State& state, const FootageSize& size) {
  Invocation invocation = RenderInvocation(size);
  const fs::path dir = kWork / (std::string("png-") + size.name);
  invocation.outDir = dir.string();
  for (auto _ : state) {
    const Start start;
    RunRenderCommand(invocation);
    Report(state, size, "PNG sequence", start);
  }
  state.counters["KB_per_frame"] = BytesOfFrames(dir) / 1000.0 / kFrames;
  state.counters["ffmpeg_png_KB_per_frame"] = FfmpegPngBytes(dir) / 1000.0 / kFrames;
}

// ffmpeg encoding the PNGs the last case wrote into the same MP4 as --video makes.
void PngsThenFfmpeg(benchmark::State& state, const FootageSize& size) {
  Invocation invocation = RenderInvocation(size);
  const fs::path dir = kWork / (std::string("png-") + size.name);
  invocation.outDir = dir.string();
  VideoJob job;
  job.width = size.width;
  job.height = size.height;
  job.videoPath = (kWork / "from-pngs.mp4").string();
  // The same encoding, reading the files instead of raw frames on standard input: the
  // arguments up to the input's format, then the rest after "-i pipe:0", with ffmpeg's filter
  // weighting the straight-alpha PNGs by alpha, as the old --video did.
  const std::vector<std::string> piped = FfmpegArguments(job, job.videoPath);
  std::vector<std::string> args(piped.begin(), piped.begin() + 6);
  args.insert(args.end(), {"-framerate", "25", "-i", (dir / "frame_%04d.png").string()});
  for (size_t i = 0; i < piped.size(); ++i) {
    if (piped[i] == "pipe:0") {
      args.insert(args.end(), piped.begin() + static_cast<long>(i) + 1, piped.end());
    }
  }
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "-vf") args[i + 1] = "premultiply=inplace=1," + args[i + 1];
  }
  for (auto _ : state) {
    const Start start;
    RunRenderCommand(invocation);
    ChildProcess ffmpeg(args, ChildProcess::Pipe::kToInput, ChildProcess::Errors::kShown);
    if (ffmpeg.Wait() != 0) state.SkipWithError("ffmpeg failed");
    Report(state, size, "PNGs then ffmpeg", start);
  }
}

void VideoThroughPipe(benchmark::State& state, const FootageSize& size) {
  Invocation invocation = RenderInvocation(size);
  invocation.videoPath = (kWork / "piped.mp4").string();
  for (auto _ : state) {
    const Start start;
    RunRenderCommand(invocation);
    Report(state, size, "--video out.mp4", start);
  }
}

void PrintSummary() {
  std::printf("\nEnd to end, %d frames: milliseconds per frame, wall clock (CPU)\n", kFrames);
  std::printf("%-10s %16s %16s %7s %16s %16s %7s %7s\n", "size", "stb PNGs", "PNGs", "ratio",
              "PNGs+ffmpeg", "--video", "ratio", "vs stb");
  for (const FootageSize& size : kSizes) {
    std::map<std::string, double>& r = results[size.name];
    std::map<std::string, double>& c = cpuResults[size.name];
    // The old --video: stb's PNGs, then ffmpeg reading them (its part measured with the new
    // PNGs, which decode the same).
    const double oldVideo = r["stb PNG sequence"] + r["PNGs then ffmpeg"] - r["PNG sequence"];
    std::printf("%-10s %7.1f (%6.1f) %7.1f (%6.1f) %6.1fx %7.1f (%6.1f) %7.1f (%6.1f) %6.1fx %6.1fx\n",
                size.name, r["stb PNG sequence"], c["stb PNG sequence"], r["PNG sequence"],
                c["PNG sequence"], r["stb PNG sequence"] / r["PNG sequence"],
                r["PNGs then ffmpeg"], c["PNGs then ffmpeg"], r["--video out.mp4"],
                c["--video out.mp4"], r["PNGs then ffmpeg"] / r["--video out.mp4"],
                oldVideo / r["--video out.mp4"]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const FootageSize& size : kSizes) {
    const std::string name = size.name;
    auto add = [&](const char* what, void (*run)(benchmark::State&, const FootageSize&)) {
      benchmark::RegisterBenchmark((std::string(what) + "/" + name).c_str(),
                                   [run, size](benchmark::State& state) { run(state, size); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1)
          ->UseRealTime();
    };
    add("StbPngSequence", StbPngSequence);
    add("PngSequence", PngSequence);
    add("PngsThenFfmpeg", PngsThenFfmpeg);
    add("VideoThroughPipe", VideoThroughPipe);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  fs::remove_all(kWork);
  return 0;
}
