// Values given as keys: `fyrel render` writes the frames the effect makes when the host sets
// each frame's value between one render and the next, the values listed here by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/media/default_source.h"
#include "host/effect_commands.h"
#include "minihost/effect_host.h"
#include "minihost/rgba_pixels.h"
#include "tests/cli/process_runner.h"
#include "tests/cli/written_frame.h"

namespace fs = std::filesystem;

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
      {{"--custom-color", "on", "--color3", "1=000000;3=FF8001"}, "Color 3", 1,
       {0x000000, 0x804001, 0xFF8001, 0xFF8001}},
      {{"--drop", "1=on;3=off;5=on"}, "Drop", 1, {1, 1, 0, 0, 1}},
      {{"--amplitude", "1=0;9=255"}, "Amplitude", 5, {128, 159, 191, 223, 255, 255}},
  };
  const RgbaImage source = DrawDefaultSource();
  const fs::path root = CLI_TEST_WORK;
  int index = 0;
  for (const auto& c : cases) {
    const fs::path dir = root / std::to_string(++index);
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::string> args = {"render", "--quiet", "--start", std::to_string(c.start),
                                     "--frames", std::to_string(c.values.size())};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const RunResult run = RunProgramIn(dir, FYREL_EXE, args);
    ASSERT_EQ(run.status, 0) << run.output;

    // A fresh instance is the effect as a new process loads it.
    EffectInstance instance;
    EffectHost host(instance);
    ASSERT_EQ(host.Start(), PF_Err_NONE);
    if (c.flags.size() == 4) {
      ASSERT_TRUE(host.SetValue("Custom Color", 1));
    }
    host.SetFrame(source.width, source.height);
    host.SetInputRgba(source.pixels.data(), source.width, source.height);
    for (size_t i = 0; i < c.values.size(); ++i) {
      const int32_t v = c.values[i], frame = c.start + static_cast<int32_t>(i);
      if (std::string(c.param).rfind("Color ", 0) == 0) {
        ASSERT_TRUE(host.SetColor(c.param, v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF));
      } else {
        ASSERT_TRUE(host.SetValue(c.param, v));
      }
      ASSERT_EQ(host.FrameSetup(), PF_Err_NONE);
      ASSERT_EQ(host.Render(frame), PF_Err_NONE);
      char name[32];
      std::snprintf(name, sizeof name, "frame_%04d.png", frame);
      EXPECT_TRUE(WrittenFrameIs(ReadPngFile((dir / "fyrel-out" / name).string()), host.Output(),
                                 source.width, source.height))
          << c.flags.back() << " " << name;
    }
  }
}
