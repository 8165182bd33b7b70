// SPDX-License-Identifier: GPL-2.0-or-later
// Values given as keys: `fyrel render` writes the frames the effect makes when the host sets
// each frame's value between one render and the next, the values listed here by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pictures/default_source.h"
#include "host/effect_commands.h"
#include "minihost/effect_host.h"
#include "tests/cli/process_runner.h"
#include "tests/cli/written_frame.h"

TEST(KeyframedRender, EachFrameIsTheEffectWithThatFramesValue) {
  const int32_t kFixed = 65536;
  const struct {
    std::vector<std::string> flags;
    const char* param;
    int32_t start;
    std::vector<int32_t> values;  // frame start, start + 1, ...; colours as 0xRRGGBB
  } cases[] = {
      {{"--velocity", "1=10;11=20"}, "Velocity", 1, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 20}},
      {{"--height", "2=0;4=1;6|=30;8=0"}, "Height", 1, {0, 0, 1, 1, 16, 30, 30, 0, 0}},
      {{"--fire-direction", "1|=0;4=-90.5"}, "Fire Direction", 1,
       {0, 0, 0, -90 * kFixed - kFixed / 2, -90 * kFixed - kFixed / 2}},
      {{"--color3", "1=000000;3=FF8001"}, "Color 3", 1,
       {0x000000, 0x804001, 0xFF8001, 0xFF8001}},
      {{"--drop", "1=on;3=off;5=on"}, "Drop", 1, {1, 1, 0, 0, 1}},
      {{"--amplitude", "1=0;9=255"}, "Amplitude", 5, {128, 159, 191, 223, 255, 255}},
  };
  const RgbaImage source = DrawDefaultSource();
  int index = 0;
  for (const auto& c : cases) {
    const auto dir = FreshTestDir(CLI_TEST_WORK "/keyframes/" + std::to_string(++index));
    // The custom colours, so that a colour's keys show.
    std::vector<std::string> args = {"render", "--quiet", "--custom-color", "on", "--start",
                                     std::to_string(c.start), "--frames",
                                     std::to_string(c.values.size())};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const RunResult run = RunProgramIn(dir, FYREL_EXE, args);
    ASSERT_EQ(run.status, 0) << run.output;

    // A fresh instance is the effect as a new process loads it.
    EffectInstance instance;
    EffectHost host(instance);
    ASSERT_EQ(host.Start(), PF_Err_NONE);
    host.SetValue("Custom Color", 1);
    host.SetFrame(source.width, source.height);
    host.SetInputRgba(source.pixels.data(), source.width, source.height);
    for (size_t i = 0; i < c.values.size(); ++i) {
      const int32_t frame = c.start + static_cast<int32_t>(i);
      ASSERT_TRUE(host.SetValue(c.param, c.values[i]));  // a colour as 0xRRGGBB
      ASSERT_EQ(host.FrameSetup(), PF_Err_NONE);
      ASSERT_EQ(host.Render(frame), PF_Err_NONE);
      const std::string name = (dir / "fyrel-out" / FrameNames(frame, 1)[0]).string();
      EXPECT_TRUE(WrittenFrameIs(ReadPngFile(name), host.Output(), source.width, source.height))
          << c.flags.back() << " " << name;
    }
  }
}
