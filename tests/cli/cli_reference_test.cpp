// SPDX-License-Identifier: GPL-2.0-or-later
// What `fyrel render` writes is the effect's own output: the same frames, pixel for pixel, as
// the effect's `main` gives when driven directly by our host. This program holds only this
// test, so the effect in it starts from its state at load, as it does in the fyrel process.
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

TEST(ReferenceRender, MatchesTheEffectDrivenDirectly) {
  const std::string root = CLI_TEST_WORK;
  fs::remove_all(root);
  fs::create_directories(root);
  const fs::path dir = root;

  // An odd size, colours in every channel and partly transparent pixels, so that a swapped
  // channel, a wrong stride or a lost alpha cannot pass.
  const int width = 37, height = 23;
  std::vector<uint8_t> rgba(width * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgba[(y * width + x) * 4];
      p[0] = static_cast<uint8_t>(x * 7);
      p[1] = static_cast<uint8_t>(y * 11);
      p[2] = static_cast<uint8_t>((x * y) & 0xFF);
      p[3] = (x + y) % 5 == 0 ? 0 : static_cast<uint8_t>(128 + x);
    }
  }
  WritePngFile((dir / "source.png").string(), rgba.data(), width, height, 4);

  RunResult run = RunProgramIn(
      dir, FYREL_EXE,
      {"render", "--source", "source.png", "--start", "0", "--frames", "4", "--velocity", "100",
       "--birth", "off", "--invert-source", "off", "--custom-color", "on", "--color2", "00FF80",
       "--color4", "#102030", "--fire-direction", "90", "--alpha", "100", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;

  EffectHost host(&EffectMain);
  ASSERT_EQ(host.Start(), PF_Err_NONE);
  ASSERT_TRUE(host.SetValue("Velocity", 100));
  ASSERT_TRUE(host.SetValue("Birth", 0));
  ASSERT_TRUE(host.SetValue("Invert Source", 0));
  ASSERT_TRUE(host.SetValue("Custom Color", 1));
  ASSERT_TRUE(host.SetColor("Color 2", 0x00, 0xFF, 0x80));
  ASSERT_TRUE(host.SetColor("Color 4", 0x10, 0x20, 0x30));
  ASSERT_TRUE(host.SetValue("Fire Direction", 90 * 65536));
  ASSERT_TRUE(host.SetValue("Alpha", 100));
  host.SetFrame(width, height);
  std::vector<PF_Pixel> input(width * height);
  for (int i = 0; i < width * height; ++i) {
    input[i] = PF_Pixel{rgba[i * 4 + 3], rgba[i * 4 + 0], rgba[i * 4 + 1], rgba[i * 4 + 2]};
  }
  host.SetInput(input.data(), width, height);

  bool anyHeat = false;
  for (int frame = 0; frame < 4; ++frame) {
    ASSERT_EQ(host.FrameSetup(), PF_Err_NONE);
    ASSERT_EQ(host.Render(frame), PF_Err_NONE);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", frame);
    const RgbaImage written = ReadPngFile((dir / "fyrel-out" / name).string());
    ASSERT_TRUE(WrittenFrameIs(written, host.Output(), width, height)) << name;
    for (int i = 0; i < width * height; ++i) anyHeat = anyHeat || host.Output()[i].alpha != 0;
  }
  EXPECT_TRUE(anyHeat);
}
