// SPDX-License-Identifier: GPL-2.0-or-later
// --video with ffmpeg: each format holds every frame at the frame size, with alpha where the
// format keeps it; without ffmpeg, or without the footage module, the run stops before the
// first frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/png/png_io.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

bool HaveFfmpeg() {
  return RunShell("ffmpeg -version >/dev/null && ffprobe -version >/dev/null", ".").status == 0;
}

// key=value lines of ffprobe about the first video stream, frames counted by decoding.
std::map<std::string, std::string> Probe(const fs::path& video) {
  RunResult run = RunShell(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=nb_read_frames,width,height,pix_fmt:stream_tags=alpha_mode -of default=nw=1 " +
          ShellQuoted(video.string()),
      ".");
  std::map<std::string, std::string> values;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

// An odd-sized source: 41 x 31, an opaque black block in its lower half.
void WriteOddSource(const fs::path& file) {
  const int width = 41, height = 31;
  std::vector<uint8_t> rgba(width * height * 4, 0);
  for (int y = 15; y < 29; ++y) {
    for (int x = 4; x < 37; ++x) rgba[(y * width + x) * 4 + 3] = 255;
  }
  WritePngFile(file.string(), rgba.data(), width, height, 4);
}

}  // namespace

TEST(Video, EachFormatHoldsEveryFrame) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteOddSource(dir / "source.png");
  struct Expect {
    const char* file;
    const char* width;
    const char* height;
    const char* alphaMode;
  };
  for (const Expect& e : {Expect{"fire.webm", "41", "31", "1"}, Expect{"fire.gif", "41", "31", ""},
                          Expect{"fire.mp4", "42", "32", ""}}) {
    RunResult run = RunProgramIn(dir, FYREL_EXE,
                                 {"render", "--source", "source.png", "--start", "3", "--frames",
                                  "12", "--video", e.file, "--quiet"});
    ASSERT_EQ(run.status, 0) << e.file << ": " << run.output;
    std::map<std::string, std::string> probe = Probe(dir / e.file);
    EXPECT_EQ(probe["nb_read_frames"], "12") << e.file;
    EXPECT_EQ(probe["width"], e.width) << e.file;
    EXPECT_EQ(probe["height"], e.height) << e.file;
    EXPECT_EQ(probe["TAG:alpha_mode"], e.alphaMode) << e.file;
  }
  // The GIF keeps transparency: its frames decode with an alpha channel.
  EXPECT_EQ(Probe(dir / "fire.gif")["pix_fmt"], "bgra");
  // Nothing but the videos: --video alone writes no frame files, and no temporaries are left.
  std::vector<std::string> files = FilesIn(dir);
  EXPECT_EQ(files, (std::vector<std::string>{"fire.gif", "fire.mp4", "fire.webm", "source.png"}));
}

TEST(Video, CanGoIntoTheFrameDirectoryOfAFreshRun) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  RunResult run = RunProgramIn(dir, FYREL_EXE,
                               {"render", "--frames", "3", "--out", "fyrel-out", "--video",
                                "fyrel-out/fire.mp4"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output,
            "wrote 3 frames to fyrel-out (frame_0001.png to frame_0003.png)\n"
            "wrote fyrel-out/fire.mp4\n");
  EXPECT_EQ(Probe(dir / "fyrel-out/fire.mp4")["nb_read_frames"], "3");
}

TEST(Video, PreviewVideosAreOpaque) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  RunResult run = RunProgramIn(dir, FYREL_EXE,
                               {"preview", "--frames", "8", "--size", "33x21", "--video",
                                "preview.webm", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  std::map<std::string, std::string> probe = Probe(dir / "preview.webm");
  EXPECT_EQ(probe["nb_read_frames"], "8");
  EXPECT_EQ(probe["width"], "33");
  EXPECT_EQ(probe["TAG:alpha_mode"], "");
}

TEST(Video, WithoutFfmpegNothingIsRendered) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  fs::create_directories(dir / "empty-path");
  RunResult run = RunShell("PATH=" + ShellQuoted((dir / "empty-path").string()) + " " +
                               ShellQuoted(FYREL_EXE) + " render --frames 2 --video fire.mp4",
                           dir);
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.output.rfind("fyrel: --video needs ffmpeg", 0), 0u) << run.output;
  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"empty-path"});
}

// A renderer whose footage module is missing starts, and refuses video before anything is
// written, naming where it looked.
TEST(Video, WithoutTheFootageModuleNothingIsRendered) {
  const fs::path module = fs::path(FYREL_EXE).parent_path() / "fyrel-footage.so";
  if (!fs::exists(module)) GTEST_SKIP() << "this build reads video through the ffmpeg program";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  fs::create_directories(dir / "bin");
  const std::string fyrel = (dir / "bin" / "fyrel").string();
  fs::copy_file(FYREL_EXE, fyrel);
  EXPECT_EQ(RunProgramIn(dir, fyrel, {"--version"}).status, 0);
  RunResult run = RunProgramIn(dir, fyrel, {"render", "--frames", "2", "--video", "fire.mp4"});
  EXPECT_NE(run.status, 0);
  const std::string said = "fyrel: cannot read or write video: fyrel's footage module is in "
                           "neither " + fyrel + "-footage.so";
  EXPECT_EQ(run.output.rfind(said, 0), 0u) << run.output;
  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"bin"});
}

TEST(Video, AnInterruptedRunLeavesOnlyWholeFilesAndNoFfmpeg) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  for (const char* signal : {"INT", "TERM", "HUP"}) {
    fs::remove_all(dir / "frames");
    // Interrupted once a few frames are written.
    RunResult run = RunShell("{ " + ShellQuoted(FYREL_EXE) +
                                 " render --frames 5000 --out frames --video interrupted-fire.mp4"
                                 " --threads 2 --quiet & "
                                 "for i in $(seq 200); do [ -e frames/frame_0002.png ] && break;"
                                 " sleep 0.05; done; kill -" + signal +
                                 " $!; wait $!; sleep 0.3; pgrep -f 'interrupted-fire[.]mp4[.]'; }",
                             dir);
    // ffmpeg, writing to interrupted-fire.mp4.PID.part, was ended too.
    EXPECT_EQ(run.output.find_first_of("0123456789"), std::string::npos)
        << signal << ": ffmpeg still runs: " << run.output;
    // No video (it was never finished), no temporaries, and the frames 1 .. k each whole.
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"frames"}) << signal;
    std::vector<std::string> files = FilesIn(dir / "frames");
    ASSERT_FALSE(files.empty()) << signal;
    for (size_t i = 0; i < files.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%04d.png", static_cast<int>(i + 1));
      ASSERT_EQ(files[i], name) << signal;
      EXPECT_NO_THROW(ReadPngFile((dir / "frames" / name).string())) << name;
    }
  }
}
