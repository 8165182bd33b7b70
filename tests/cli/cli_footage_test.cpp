// SPDX-License-Identifier: GPL-2.0-or-later
// Footage as the source layer: a short video made with ffmpeg's test pattern, rendered by
// `fyrel render --source clip.mp4`, gives frame for frame what the effect gives when driven
// directly with the same decoded frames; the same frames as a numbered PNG sequence give the
// same bytes. This program holds only this test, so the effect in it starts from its state at
// load, as it does in the fyrel process.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/png/png_io.h"
#include "host/effect_main.h"
#include "minihost/effect_host.h"
#include "tests/cli/process_runner.h"
#include "tests/cli/written_frame.h"

namespace fs = std::filesystem;

TEST(FootageRender, EachFrameIsTheEffectFedTheMatchingDecodedFrame) {
  if (RunShell("ffmpeg -version >/dev/null", ".").status != 0) {
    GTEST_SKIP() << "ffmpeg is not installed";
  }
  const fs::path dir = CLI_TEST_WORK;
  fs::remove_all(dir);
  fs::create_directories(dir);
  // 7 frames of a moving pattern, an even size (4:2:0 needs it); and the frames ffmpeg decodes from it, as
  // RGBA PNGs, the way the renderer asks for them.
  RunResult made = RunShell(
      "ffmpeg -v error -f lavfi -i testsrc=size=46x34:rate=25 -frames:v 7 -pix_fmt yuv420p "
      "clip.mp4 && mkdir decoded && ffmpeg -v error -i clip.mp4 -pix_fmt rgba "
      "decoded/shot_%03d.png",
      dir);
  ASSERT_EQ(made.status, 0) << made.output;

  // No --frames: the video's length.
  RunResult run = RunProgramIn(dir, FYREL_EXE,
                               {"render", "--source", "clip.mp4", "--out", "fire", "--velocity",
                                "100", "--invert-source", "off", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(FilesIn(dir / "fire").size(), 7u);

  EffectHost host(&EffectMain);
  ASSERT_EQ(host.Start(), PF_Err_NONE);
  ASSERT_TRUE(host.SetValue("Velocity", 100));
  ASSERT_TRUE(host.SetValue("Invert Source", 0));
  host.SetFrame(46, 34);
  bool changes = false;
  std::vector<uint8_t> previous;
  for (int frame = 1; frame <= 7; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "decoded/shot_%03d.png", frame);
    RgbaImage layer = ReadPngFile((dir / name).string());
    ASSERT_EQ(layer.width, 46);
    changes = changes || (!previous.empty() && previous != layer.pixels);
    previous = layer.pixels;
    std::vector<PF_Pixel> input(46 * 34);
    for (size_t i = 0; i < input.size(); ++i) {
      const uint8_t* p = &layer.pixels[i * 4];
      input[i] = PF_Pixel{p[3], p[0], p[1], p[2]};
    }
    host.SetInput(input.data(), 46, 34);
    ASSERT_EQ(host.FrameSetup(), PF_Err_NONE);
    ASSERT_EQ(host.Render(frame), PF_Err_NONE);
    std::snprintf(name, sizeof name, "fire/frame_%04d.png", frame);
    ASSERT_TRUE(WrittenFrameIs(ReadPngFile((dir / name).string()), host.Output(), 46, 34)) << name;
  }
  EXPECT_TRUE(changes);  // the source really moves

  // The decoded frames as a numbered sequence: the same frames, to the byte.
  run = RunProgramIn(dir, FYREL_EXE,
                     {"render", "--source", "decoded/shot_%03d.png", "--out", "from-sequence",
                      "--velocity", "100", "--invert-source", "off", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(FilesIn(dir / "from-sequence"), FilesIn(dir / "fire"));
  for (const std::string& name : FilesIn(dir / "fire")) {
    EXPECT_EQ(FileBytes(dir / "fire" / name), FileBytes(dir / "from-sequence" / name)) << name;
  }
}
