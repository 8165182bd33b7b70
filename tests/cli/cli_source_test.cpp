// SPDX-License-Identifier: GPL-2.0-or-later
// Sources that cannot be rendered are refused before anything is written, with one message
// that names the file and the reason: a sequence with a gap or with no file at all, a file
// ffmpeg cannot read, a file with no video stream, more frames than a video holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/png/png_io.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

// An opaque grey frame.
void WriteFrame(const fs::path& file, uint8_t grey) {
  std::vector<uint8_t> rgba(16 * 12 * 4, grey);
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  WritePngFile(file.string(), rgba.data(), 16, 12, 4);
}

}  // namespace

TEST(Sources, UnusableOnesAreRefusedBeforeAnythingIsWritten) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  // shot_0001 .. shot_0003, then shot_0005: frame 4 is missing.
  for (int frame : {1, 2, 3, 5}) {
    char name[32];
    std::snprintf(name, sizeof name, "shot_%04d.png", frame);
    WriteFrame(dir / name, static_cast<uint8_t>(frame * 40));
  }
  std::FILE* f = std::fopen((dir / "notes.mp4").string().c_str(), "wb");
  std::fputs("not a video at all\n", f);
  std::fclose(f);
  const bool haveFfmpeg = RunShell("ffmpeg -version >/dev/null", dir).status == 0;
  if (haveFfmpeg) {
    ASSERT_EQ(RunShell("ffmpeg -v error -f lavfi -i sine=duration=0.2 tone.wav && "
                       "ffmpeg -v error -f lavfi -i testsrc=size=32x24:rate=25 -frames:v 5 "
                       "clip.mp4",
                       dir)
                  .status,
              0);
  }

  struct Case {
    std::vector<std::string> args;
    std::string message;
    bool needsFfmpeg;
  };
  const Case cases[] = {
      {{"--source", "shot_%04d.png"},
       "fyrel: shot_%04d.png: the sequence has a gap: shot_0004.png is missing between "
       "shot_0003.png and shot_0005.png\n",
       false},
      {{"--source", "take_%04d.png"},
       "fyrel: cannot read take_%04d.png: no file of the sequence is there\n", false},
      {{"--source", "missing.mp4"}, "fyrel: cannot read missing.mp4: No such file or directory\n",
       false},
      {{"--source", "notes.mp4"},
       "fyrel: notes.mp4: not a video or image that ffmpeg can read (moov atom not found)\n",
       true},
      {{"--source", "tone.wav"}, "fyrel: tone.wav: no video stream\n", true},
      {{"--source", "clip.mp4", "--frames", "6"},
       "fyrel: --frames 6 asks for more than the 5 frames of clip.mp4\n", true},
  };
  for (const Case& c : cases) {
    if (c.needsFfmpeg && !haveFfmpeg) continue;
    std::vector<std::string> args = {"render", "--out", "out"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult run = RunProgramIn(dir, FYREL_EXE, args);
    EXPECT_NE(run.status, 0) << c.message;
    EXPECT_EQ(run.output, c.message);
    EXPECT_FALSE(fs::exists(dir / "out")) << c.message;
  }
}

TEST(Sources, ASequenceGivesOneFrameEachAndItsLengthByDefault) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  for (int frame = 0; frame < 4; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "s%d.png", frame);  // %d: no padding
    WriteFrame(dir / name, static_cast<uint8_t>(frame * 60));
  }
  RunResult run = RunProgramIn(dir, FYREL_EXE,
                               {"render", "--source", "s%d.png", "--out", "seq", "--quiet",
                                "--invert-source", "off", "--composite", "over"});
  ASSERT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(FilesIn(dir / "seq").size(), 4u);
  // Laid over an opaque source, every frame is opaque and shows the source where no fire is.
  for (int frame = 1; frame <= 4; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "seq/frame_%04d.png", frame);
    RgbaImage image = ReadPngFile((dir / name).string());
    for (size_t i = 3; i < image.pixels.size(); i += 4) ASSERT_EQ(image.pixels[i], 255) << name;
    // Row 0 is never burnt: the source frame of the same number shows through.
    EXPECT_EQ(image.pixels[0], (frame - 1) * 60) << name;
  }
  run = RunProgramIn(dir, FYREL_EXE,
                     {"render", "--source", "s%d.png", "--frames", "5", "--out", "more"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.output, "fyrel: --frames 5 asks for more than the 4 frames of s%d.png\n");
}
