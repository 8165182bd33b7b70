// SPDX-License-Identifier: GPL-2.0-or-later
// `fyrel` against what a hostile or unlucky user brings: a frame as large as the limits take,
// every way a run can end, names that ffmpeg could read as something else, and failures and
// clashes that must stop the run before its first frame.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/png/png_io.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

bool HaveFfmpeg() {
  return RunShell("ffmpeg -version >/dev/null && ffprobe -version >/dev/null", ".").status == 0;
}

// Runs fyrel in `dir` with its output thrown away; its peak resident memory in bytes, or 0
// when it failed.
uint64_t PeakMemoryOfRun(const fs::path& dir, const std::vector<std::string>& args) {
  std::vector<std::string> line = {FYREL_EXE};
  line.insert(line.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : line) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;
  return static_cast<uint64_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

// Whether files can be made with no name (O_TMPFILE) in `dir`.
bool HasNamelessFiles(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

// An opaque block across the lower half of a transparent frame: it burns.
void WriteBurningSource(const fs::path& file, int width, int height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4, 0);
  for (size_t y = height / 2; y < static_cast<size_t>(height); ++y) {
    for (size_t x = width / 8; x < static_cast<size_t>(width) * 7 / 8; ++x) {
      rgba[(y * width + x) * 4 + 3] = 255;
    }
  }
  WritePngFile(file.string(), rgba.data(), width, height, 4);
}

}  // namespace

// The render holds the host's input and output layers and the effect's own fields (about 11
// bytes a pixel); the source, the frame handed to the encoder and the encoder's work fit in
// what is left of 16 bytes a pixel. The source buffer is freed before the run, so that the
// child's peak is its own.
TEST(Hardening, ALargeRenderPeaksWithin16BytesAPixel) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's shadow memory and quarantine are part of the peak";
#endif
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  const int side = 8192;
  WriteBurningSource(dir / "large.png", side, side);
  const uint64_t peak = PeakMemoryOfRun(
      dir, {"render", "--source", "large.png", "--frames", "2", "--out", "out", "--quiet"});
  ASSERT_GT(peak, 0u) << "the render failed";
  const uint64_t pixels = uint64_t{side} * side;
  EXPECT_LE(peak, 16 * pixels + (uint64_t{64} << 20))
      << "peak " << peak << " bytes: " << static_cast<double>(peak) / pixels << " per pixel";
  EXPECT_EQ(FilesIn(dir / "out"), FrameNames(1, 2));
}

// INT, TERM and HUP are in Video.AnInterruptedRunLeavesOnlyWholeFilesAndNoFfmpeg. Here: QUIT
// and PIPE sent by someone else clean up as they do; SIGKILL, which nothing can catch, still
// ends ffmpeg through its parent-death signal; and an ffmpeg that stops reading is a message
// (our own broken pipe), not a silent death, with no partial video left.
TEST(Hardening, EveryWayOutEndsFfmpegAndLeavesNoPartialFile) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  for (const char* signal : {"QUIT", "PIPE", "KILL"}) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    RunResult run = RunShell("{ " + ShellQuoted(FYREL_EXE) +
                                 " render --frames 5000 --out frames --video way-out.mp4"
                                 " --threads 2 --quiet 2>/dev/null & "
                                 "for i in $(seq 200); do [ -e frames/frame_0002.png ] && break;"
                                 " sleep 0.05; done; kill -" + std::string(signal) +
                                 " $!; wait $!; sleep 0.5;"
                                 " pgrep -f " + ShellQuoted(dir.string() + "/way-out[.]mp4[.]") +
                                 " && echo ffmpeg still runs; } 2>&1",
                             dir);
    EXPECT_EQ(run.output.find("still runs"), std::string::npos) << signal << ": " << run.output;
    std::vector<std::string> files = FilesIn(dir);
    // SIGKILL leaves the temporary name ffmpeg was writing; nothing else can.
    if (std::string(signal) == "KILL" && files.size() == 2) files.pop_back();
    EXPECT_EQ(files, std::vector<std::string>{"frames"}) << signal;
    std::vector<std::string> frames = FilesIn(dir / "frames");
    // Frames are written nameless and named when whole; only where the file system cannot
    // do that may SIGKILL leave the temporary of the frame being written.
    if (std::string(signal) == "KILL" && !HasNamelessFiles(dir) && !frames.empty() &&
        frames.back().size() > 5 && frames.back().substr(frames.back().size() - 5) == ".part") {
      frames.pop_back();
    }
    ASSERT_FALSE(frames.empty()) << signal;
    EXPECT_EQ(frames, FrameNames(1, static_cast<int>(frames.size()))) << signal;
    for (const std::string& name : frames) {
      EXPECT_NO_THROW(ReadPngFile((dir / "frames" / name).string())) << signal << " " << name;
    }
  }

  // An ffmpeg that answers -version and then stops reading after a few bytes.
  fs::remove_all(dir);
  fs::create_directories(dir / "bin");
  {
    std::FILE* script = std::fopen((dir / "bin/ffmpeg").string().c_str(), "w");
    std::fputs("#!/bin/sh\ncase \"$*\" in *-version*) exit 0;; esac\n"
               "head -c 1000 >/dev/null\nexit 1\n",
               script);
    std::fclose(script);
    fs::permissions(dir / "bin/ffmpeg", fs::perms::owner_all);
  }
  RunResult run = RunShell("PATH=\"$PWD/bin:$PATH\" " + ShellQuoted(FYREL_EXE) +
                               " render --frames 50 --video fire.mp4 --quiet",
                           dir);
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_EQ(run.output, "fyrel: ffmpeg could not encode fire.mp4 (ffmpeg stopped reading frames)\n");
  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"bin"});
}

// Names that ffmpeg would read as an option (a leading '-'), a protocol (a ':') or a pattern
// (a '%'), in the source, the frame directory and the video; a 254-byte video name, whose
// temporary name must still fit the file system's 255 bytes.
TEST(Hardening, AnyLegalNameWorks) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  const std::string clip = "-src:%d.mp4";
  ASSERT_EQ(RunShell("ffmpeg -v error -f lavfi -i testsrc=size=32x24:rate=25 -frames:v 3 "
                     "file:" + ShellQuoted(clip),
                     dir)
                .status,
            0);
  const std::string out = "-out:%04d dir";
  const std::string video = out + "/-fire:%d.webm";
  RunResult run = RunProgramIn(dir, FYREL_EXE,
                               {"render", "--source=" + clip, "--out=" + out,
                                "--video=" + video, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  std::vector<std::string> expected = FrameNames(1, 3);
  expected.insert(expected.begin(), "-fire:%d.webm");
  EXPECT_EQ(FilesIn(dir / out), expected);
  EXPECT_GT(fs::file_size(dir / video), 0u);

  // A still image that ffmpeg reads (not a PNG), whose '%' its image reader would take for
  // a number.
  const std::string still = "-still:%d.jpg";
  ASSERT_EQ(RunShell("ffmpeg -v error -f lavfi -i testsrc=size=24x16 -frames:v 1 still.jpg", dir)
                .status,
            0);
  fs::rename(dir / "still.jpg", dir / still);
  run = RunProgramIn(dir, FYREL_EXE, {"render", "--source=" + still, "--out", "stills", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ReadPngFile((dir / "stills/frame_0001.png").string()).width, 24);
  fs::remove_all(dir / "stills");

  const std::string longName = std::string(250, 'n') + ".mp4";
  run = RunProgramIn(dir, FYREL_EXE, {"render", "--frames", "2", "--video", longName, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_GT(fs::file_size(dir / longName), 0u);
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{out, clip, still, longName}));

  // A working directory deeper than the longest path the system takes (4096 bytes): relative
  // names work there, as in every other program.
  std::string deeper;
  for (int i = 0; i < 17; ++i) deeper += "mkdir " + std::string(250, 'd') + " && cd -P d* && ";
  run = RunShell(deeper + "ffmpeg -v error -f lavfi -i testsrc=size=32x24:rate=25 -frames:v 2 "
                 "c.mp4 && " + ShellQuoted(FYREL_EXE) + " render --source c.mp4 --video f.webm "
                 "--quiet 2>&1 | head -c 300 && test -s f.webm",
                 dir);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "");
}

// Whatever can be known before the first frame stops the run before it, with the cause: the
// reason of the call that failed, a directory where frame 2 goes, --out and --video naming
// one path, frames that would replace the source's own files.
TEST(Hardening, FailuresAndClashesStopTheRunBeforeItsFirstFrame) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  auto fyrel = [&](const std::vector<std::string>& args) { return RunProgramIn(dir, FYREL_EXE, args); };

  // The errno of mkdir itself (a later call would say "No such file or directory").
  const std::string denied = "/sys/fyrel-hardening-test";
  if (::mkdir(denied.c_str(), 0755) != 0 && errno != EEXIST) {
    const std::string reason = std::strerror(errno);
    RunResult run = fyrel({"render", "--frames", "1", "--out", denied + "/frames"});
    EXPECT_EQ(run.output, "fyrel: cannot create directory " + denied + ": " + reason + "\n");
  }

  fs::create_directories(dir / "out/frame_0002.png");
  RunResult run = fyrel({"render", "--frames", "3", "--out", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "fyrel: cannot write out/frame_0002.png: it is a directory\n");
  EXPECT_EQ(FilesIn(dir / "out"), std::vector<std::string>{"frame_0002.png"});

  run = fyrel({"render", "--frames", "3", "--out", "fire.gif", "--video", "./fire.gif"});
  EXPECT_NE(run.status, 0);
  if (HaveFfmpeg()) {
    EXPECT_EQ(run.output, "fyrel: --out and --video name the same path, ./fire.gif\n");
  }
  EXPECT_FALSE(fs::exists(dir / "fire.gif"));

  // A sequence rendered into its own directory would replace its frames as it reads them.
  ASSERT_EQ(fyrel({"render", "--frames", "3", "--out", "seq", "--quiet"}).status, 0);
  const std::vector<uint8_t> before = FileBytes(dir / "seq/frame_0002.png");
  run = fyrel({"render", "--source", "seq/frame_%04d.png", "--out", "./seq/"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            "fyrel: cannot write ./seq/frame_0001.png: it is a frame of the source being read\n");
  EXPECT_EQ(FileBytes(dir / "seq/frame_0002.png"), before);
  run = fyrel({"render", "--source", "seq/frame_0002.png", "--start", "2", "--out", "seq"});
  EXPECT_EQ(run.output,
            "fyrel: cannot write seq/frame_0002.png: it is a frame of the source being read\n");
  EXPECT_EQ(FilesIn(dir / "seq"), FrameNames(1, 3));
}
