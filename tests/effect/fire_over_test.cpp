// SPDX-License-Identifier: GPL-2.0-or-later
// "Over" with straight alpha: against values worked out by hand in each output layout, its
// sixteen-at-a-time paths against its rule on every fire alpha and colour pair over an opaque
// source, and OBS's premultiplied bytes as the fire reads them.
#include "effect/fire_over.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "effect/fire_pixels.h"

namespace {

std::vector<uint8_t> Over(const std::vector<uint8_t>& fire, const std::vector<uint8_t>& source,
                          PixelLayout layout, int32_t width) {
  const int32_t height = static_cast<int32_t>(fire.size() / 4) / width;
  std::vector<uint8_t> out(fire.size() / 4 * PixelBytes(layout));
  LayOver(PackedView(fire.data(), width, height, PixelLayout::kRgba),
          PackedView(source.data(), width, height, PixelLayout::kRgba),
          PackedView(out.data(), width, height, layout));
  return out;
}

TEST(FireOver, MatchesValuesWorkedOutByHand) {
  const std::vector<uint8_t> source = {
      9, 9, 9, 255,     // under an opaque flame
      10, 20, 30, 200,  // under no flame at all
      0, 0, 255, 255,   // opaque blue under a half-transparent flame
      0, 0, 255, 100,   // both partly transparent
      7, 7, 7, 0,       // nothing over nothing
  };
  const std::vector<uint8_t> fire = {
      255, 128, 0, 255, 0, 0, 0, 0, 200, 100, 50, 128, 255, 0, 0, 100, 0, 0, 0, 0,
  };
  const struct {
    PixelLayout layout;
    std::vector<uint8_t> expected;
  } cases[] = {
      // The fire hides the source; the source as it is; W = 128*255 + 255*127 = 65025: alpha
      // 255, red 200*32640/65025 = 100.4, green 50.2, blue (50*32640 + 255*32385)/65025 =
      // 152.1; W = 100*255 + 100*155 = 41000: alpha 160.8, red 255*25500/41000 = 158.6, blue
      // 255*15500/41000 = 96.4; nothing.
      {PixelLayout::kRgba, {255, 128, 0, 255, 10, 20, 30, 200, 100, 50, 152, 255, 159, 0, 96, 161,
                            0, 0, 0, 0}},
      // Each colour times alpha: 10*200/255 = 7.8, 15.7, 23.5; 159*161/255 = 100.4, 60.6.
      {PixelLayout::kRgbaPremultiplied, {255, 128, 0, 255, 8, 16, 24, 200, 100, 50, 152, 255,
                                         100, 0, 61, 161, 0, 0, 0, 0}},
      {PixelLayout::kRgbWeighted, {255, 128, 0, 8, 16, 24, 100, 50, 152, 100, 0, 61, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Over(fire, source, c.layout, 5), c.expected) << int(c.layout);
    EXPECT_EQ(Over(fire, source, c.layout, 1), c.expected) << int(c.layout) << ", a column";
  }
}

// Every fire alpha with every fire colour over every opaque colour: a row, sixteen at a time,
// gives what a column, a pixel at a time by the rule, gives; so does the heat coloured over it
// (the second row of a field: the first has no fire), and so does the fire over black.
TEST(FireOver, SixteenAtATimeGiveTheRulesBytes) {
  const int32_t n = 65536;
  std::vector<uint8_t> fire(size_t(n) * 4), source(size_t(n) * 8), heat(size_t(n) * 2);
  std::vector<uint8_t> black(size_t(n) * 4), rgb(size_t(n) * 3);
  for (size_t i = 3; i < black.size(); i += 4) black[i] = 255;
  for (int32_t i = 0; i < n; ++i) {
    const uint8_t k = uint8_t(i >> 8), j = uint8_t(i);
    const uint8_t under[4] = {j, k, uint8_t(~j), 255};
    std::copy(under, under + 4, &source[size_t(n + i) * 4]);
    heat[n + i] = k;
  }
  for (int fa = 0; fa < 256; ++fa) {
    FlamePixel colours[256];
    for (int k = 0; k < 256; ++k) {
      colours[k] = FlamePixel{uint8_t(fa), uint8_t(k), uint8_t(k * 7), uint8_t(255 - k)};
      const uint8_t over[4] = {uint8_t(k), uint8_t(k * 7), uint8_t(255 - k), uint8_t(fa)};
      for (int32_t j = 0; j < 256; ++j) std::copy(over, over + 4, &fire[size_t(k * 256 + j) * 4]);
    }
    const std::vector<uint8_t> under(source.begin() + n * 4, source.end());
    for (PixelLayout layout : {PixelLayout::kRgba, PixelLayout::kRgbWeighted}) {
      const std::vector<uint8_t> byRule = Over(fire, under, layout, 1);
      ASSERT_EQ(Over(fire, under, layout, n), byRule) << "alpha " << fa;
      std::vector<uint8_t> coloured(size_t(n) * 2 * PixelBytes(layout));
      ColourHeatOver(heat.data(), n, colours, PackedView(std::as_const(source).data(), n, 2, PixelLayout::kRgba),
                     PackedView(coloured.data(), n, 2, layout));
      ASSERT_TRUE(std::equal(byRule.begin(), byRule.end(), coloured.begin() + n * PixelBytes(layout)))
          << "alpha " << fa << ", coloured";
    }
    RgbOverBlack(fire.data(), n, rgb.data());  // an MP4's frames
    ASSERT_EQ(rgb, Over(fire, black, PixelLayout::kRgbWeighted, 1)) << "alpha " << fa << ", over black";
  }
}

TEST(FireOver, StraightenedPixelsPremultiplyBackToOBSsBytes) {
  std::vector<uint8_t> rgba;  // every alpha with every colour it allows, opaque runs among them
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c <= a; ++c) rgba.insert(rgba.end(), {uint8_t(c), uint8_t(a - c), uint8_t(c / 2), uint8_t(a)});
  std::vector<FlamePixel> straight(rgba.size() / 4), asRead(straight.size());
  const int32_t count = static_cast<int32_t>(straight.size());
  const ConstPixelView view{rgba.data(), count * 4, count, 1, PixelLayout::kRgbaPremultiplied};
  ReadSourceRow(view, 0, straight.data());
  // The engine reads the same pixels as RGBA bytes, and an opaque row where it lies.
  std::vector<uint8_t> straightRgba(rgba.size());
  RgbaFromHostPixels(straight.data(), count, straightRgba.data());
  const auto* engineRow = reinterpret_cast<const uint8_t*>(SourceRowAsRead(view, 0, asRead.data()));
  EXPECT_TRUE(std::equal(straightRgba.begin(), straightRgba.end(), engineRow));
  const ConstPixelView opaque{rgba.data() + 4 * (count - 256), 0, 256, 1, PixelLayout::kRgbaPremultiplied};
  EXPECT_EQ(SourceRowAsRead(opaque, 0, asRead.data()), reinterpret_cast<const FlamePixel*>(opaque.top));
  const auto premultiplied = [](uint8_t c, uint8_t a) { return uint8_t(std::lround(c * a / 255.0)); };
  for (size_t i = 0; i < straight.size(); ++i) {
    const FlamePixel& p = straight[i];
    const uint8_t back[4] = {premultiplied(p.red, p.alpha), premultiplied(p.green, p.alpha),
                             premultiplied(p.blue, p.alpha), p.alpha};
    ASSERT_TRUE(std::equal(back, back + 4, &rgba[i * 4]) && (p.alpha || !(p.red | p.green | p.blue))) << i;
  }
}

}  // namespace
