// SPDX-License-Identifier: GPL-2.0-or-later
// Colouring: heat to palette position, the alpha that follows the colour's brightness, and
// which output pixels a render writes. The field is written by the test between renders that
// run no step, so every pixel's heat is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "render_oracle.h"

namespace {

using hosttest::OutputPixels;
using hosttest::Record;
using hosttest::StartedHost;
using hosttest::StepsOfRender;

template <typename Pixel>
bool Same(const Pixel& p, int alpha, int red, int green, int blue) {
  return p.alpha == alpha && p.red == red && p.green == green && p.blue == blue;
}

template <typename Pixel>
std::string Show(const Pixel& p) {
  return "(" + std::to_string(p.alpha) + ", " + std::to_string(p.red) + ", " +
         std::to_string(p.green) + ", " + std::to_string(p.blue) + ")";
}

TEST(HeatToPixel, PositionRuleSelectsTheTableEntries) {
  // Entry k carries red k, so the red byte names the entry that a heat selects.
  FlameColorTable table{};
  for (int k = 0; k < 256; ++k) table.entries[k][kEntryRed] = static_cast<uint8_t>(k);
  const struct {
    int heat, entry;
  } cases[] = {{1, 4},    {10, 32},   {50, 138},  {100, 223}, {146, 255}, {155, 255},
               {161, 255}, {180, 240}, {200, 204}, {230, 112}, {255, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(FlameHeatPixel(static_cast<uint8_t>(c.heat), table, 213).red, c.entry)
        << "heat " << c.heat;
  }
  EXPECT_EQ(FlameHeatPixel(145, table, 213).red, 254);
  EXPECT_EQ(FlameHeatPixel(162, table, 213).red, 254);
  EXPECT_TRUE(Same(FlameHeatPixel(0, table, 213), 0, 0, 0, 0)) << "heat 0 is transparent black";
}

TEST(HeatToPixel, AlphaFollowsTheLargestComponent) {
  FlameColorTable table{};
  auto alphaOf = [&](int red, int green, int blue, int32_t alpha) {
    table.entries[255][kEntryRed] = static_cast<uint8_t>(red);
    table.entries[255][kEntryGreen] = static_cast<uint8_t>(green);
    table.entries[255][kEntryBlue] = static_cast<uint8_t>(blue);
    return FlameHeatPixel(155, table, alpha).alpha;  // heat 155 shows entry 255
  };
  EXPECT_EQ(alphaOf(106, 0, 0, 213), 63);
  EXPECT_EQ(alphaOf(3, 106, 50, 213), 63);
  EXPECT_EQ(alphaOf(50, 0, 106, 213), 63);
  EXPECT_EQ(alphaOf(213, 0, 0, 213), 255);
  EXPECT_EQ(alphaOf(0, 214, 0, 213), 255);
  EXPECT_EQ(alphaOf(0, 0, 255, 213), 255);
  EXPECT_EQ(alphaOf(0, 0, 0, 213), 0);
  EXPECT_EQ(alphaOf(0, 0, 0, 0), 0) << "black stays transparent, also with \"Alpha\" 0";
  EXPECT_EQ(alphaOf(1, 0, 0, 0), 255);
  EXPECT_EQ(alphaOf(1, 0, 0, 255), 0);    // trunc(255 / 65025 + 0.5)
  EXPECT_EQ(alphaOf(12, 0, 0, 255), 1);   // 255 * (12/255)^2 = 0.56
  EXPECT_EQ(alphaOf(128, 0, 0, 255), 64);  // 64.25
  // The colour itself is not premultiplied.
  table.entries[255][kEntryRed] = 10;
  const FlamePixel p = FlameHeatPixel(155, table, 213);
  EXPECT_TRUE(Same(p, 1, 10, 0, 0)) << Show(p);
}

// A started host whose next render runs no step: "Velocity" 10 steps 5, 0, 0, 2 after a reset.
class QuietRender : public ::testing::Test {
 protected:
  void StartQuiet(int32_t width, int32_t height, int32_t stride) {
    host_ = StartedHost(width, height, stride);
    const std::vector<PF_Pixel> source = hosttest::DiscImage(width, height);
    host_->SetInput(source.data(), width, height);
    host_->SetValue("Velocity", 10);
    ASSERT_EQ(host_->Render(1), PF_Err_NONE);  // allocates and resets: 5 steps
  }
  // Writes heat into the field, fills the output with a marker, renders `frame` with no step.
  void RenderHeat(const std::vector<uint8_t>& heat, int32_t frame) {
    FlameSequenceData* record = Record(*host_);
    std::copy(heat.begin(), heat.end(), record->field);
    PF_Pixel* out = OutputPixels(*host_);
    for (size_t i = 0; i < host_->Output().size(); ++i) out[i] = kMarker;
    hosttest::Fire().bandPhase = 0.0f;
    ASSERT_EQ(host_->Render(frame, false), PF_Err_NONE);
    ASSERT_EQ(hosttest::Fire().bandPhase, 0.0f) << "the render was to run no step";
    ASSERT_TRUE(std::equal(heat.begin(), heat.end(), record->field));
  }
  static constexpr PF_Pixel kMarker = {1, 2, 3, 4};
  std::unique_ptr<EffectHost> host_;
};

TEST_F(QuietRender, BuiltinPaletteWithAlpha213ThroughTheEntry) {
  // 16 columns of frame in a row of 20; rows 1 to 16 hold every heat once, row 0 heat too.
  const int32_t width = 16, height = 17, stride = 20;
  StartQuiet(width, height, stride);
  std::vector<uint8_t> heat(static_cast<size_t>(stride) * height, 200);
  for (int h = 0; h < 256; ++h) {
    heat[static_cast<size_t>(1 + h / 16) * stride + h % 16] = static_cast<uint8_t>(h);
  }
  RenderHeat(heat, 2);

  const std::vector<PF_Pixel>& out = host_->Output();
  auto pixelOfHeat = [&](int h) { return out[static_cast<size_t>(1 + h / 16) * stride + h % 16]; };
  EXPECT_TRUE(Same(pixelOfHeat(0), 0, 0, 0, 0)) << Show(pixelOfHeat(0));
  EXPECT_TRUE(Same(pixelOfHeat(1), 6, 0, 0, 32)) << Show(pixelOfHeat(1));
  EXPECT_TRUE(Same(pixelOfHeat(10), 137, 156, 0, 0)) << Show(pixelOfHeat(10));
  EXPECT_TRUE(Same(pixelOfHeat(50), 255, 252, 204, 0)) << Show(pixelOfHeat(50));
  EXPECT_TRUE(Same(pixelOfHeat(150), 255, 252, 252, 252)) << Show(pixelOfHeat(150));
  EXPECT_TRUE(Same(pixelOfHeat(155), 255, 252, 252, 252)) << Show(pixelOfHeat(155));
  EXPECT_TRUE(Same(pixelOfHeat(255), 0, 0, 0, 0)) << Show(pixelOfHeat(255));

  const FlameColorTable table = hosttest::BuiltinTable();
  for (int h = 0; h < 256; ++h) {
    const FlamePixel e = FlameHeatPixel(static_cast<uint8_t>(h), table, 213);
    EXPECT_TRUE(Same(pixelOfHeat(h), e.alpha, e.red, e.green, e.blue))
        << "heat " << h << ": " << Show(pixelOfHeat(h));
  }
  // Row 0, and the columns from the frame width to the end of the row, keep the marker.
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < stride; ++x) {
      if (y >= 1 && x < width) continue;
      EXPECT_TRUE(Same(out[static_cast<size_t>(y) * stride + x], 1, 2, 3, 4)) << y << "," << x;
    }
  }
}

TEST_F(QuietRender, CustomColourAlphaFromItsLargestComponent) {
  StartQuiet(8, 4, 8);
  std::vector<uint8_t> heat(32, 155);  // every pixel shows table entry 255, "Color 1"
  host_->SetValue("Custom Color", 1);
  host_->SetColor("Color 1", 50, 106, 7);
  host_->Param(host_->FindParam("Color 1")).u.cd.value.alpha = 0;  // the colour's alpha is ignored
  RenderHeat(heat, 2);
  EXPECT_TRUE(Same(host_->Output()[9], 63, 50, 106, 7)) << Show(host_->Output()[9]);

  host_->SetColor("Color 1", 0, 0, 0);
  host_->SetValue("Alpha", 0);
  RenderHeat(heat, 3);
  EXPECT_TRUE(Same(host_->Output()[9], 0, 0, 0, 0)) << Show(host_->Output()[9]);
}

// Two runs from the same starting point, differing only in "Phase".
TEST(Phase, ChangesNoOutputPixel) {
  std::vector<std::vector<PF_Pixel>> runs;
  for (int32_t phase : {0, 0x8000, 0x10000}) {
    auto host = StartedHost(24, 16);
    const std::vector<PF_Pixel> source = hosttest::DiscImage(24, 16);
    host->SetInput(source.data(), 24, 16);
    host->SetValue("Phase", phase);
    host->SetValue("Birth", 0);
    hosttest::Fire().random.Seed(1);
    hosttest::Fire().bandPhase = 0.0f;
    std::vector<PF_Pixel> frames;
    for (int32_t frame = 1; frame <= 6; ++frame) {
      ASSERT_EQ(host->Render(frame), PF_Err_NONE);
      frames.insert(frames.end(), host->Output().begin(), host->Output().end());
    }
    runs.push_back(frames);
  }
  const auto equal = [](const std::vector<PF_Pixel>& a, const std::vector<PF_Pixel>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const PF_Pixel& p, const PF_Pixel& q) {
             return Same(p, q.alpha, q.red, q.green, q.blue);
           });
  };
  EXPECT_TRUE(equal(runs[0], runs[1]));
  EXPECT_TRUE(equal(runs[0], runs[2]));
}

}  // namespace
