// SPDX-License-Identifier: GPL-2.0-or-later
// The own YUV conversion against swscale's, byte for byte, and its fallback to swscale's.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "cli/media/yuv_frames.h"

namespace {

enum class Content { kNoise, kRamps, kExtremes };

std::vector<uint8_t> Picture(int32_t width, int32_t height, int channels, Content content,
                             int alpha) {
  std::vector<uint8_t> picture(static_cast<size_t>(width) * height * channels);
  std::mt19937 random(static_cast<uint32_t>(width * 131 + height));
  for (size_t i = 0; i < picture.size(); ++i) {
    const size_t pixel = i / channels, x = pixel % width, y = pixel / width;
    const size_t channel = i % channels;
    uint8_t& sample = picture[i];
    if (channel == 3 && alpha >= 0) {
      sample = static_cast<uint8_t>(alpha);
    } else if (content == Content::kNoise) {
      sample = static_cast<uint8_t>(random());
    } else if (content == Content::kRamps) {
      sample = static_cast<uint8_t>((channel == 0 ? x * 7 : channel == 1 ? y * 5 : x + y) * 3);
    } else {
      sample = ((x / 3 + y / 2 + channel) % 3 == 0) ? 255 : 0;
    }
  }
  return picture;
}

TEST(YuvConversion, GivesSwscalesBytes) {
  struct Case {
    int32_t width, height;
    int channels;
    Content content;
    int alpha;  // every pixel's, or -1 for the content's
  };
  const Case cases[] = {
      {2, 2, 4, Content::kNoise, -1},       {4, 2, 4, Content::kExtremes, 255},
      {2, 6, 3, Content::kNoise, -1},       {6, 10, 4, Content::kRamps, 128},
      {17, 9, 4, Content::kNoise, -1},      {17, 9, 3, Content::kExtremes, -1},
      {66, 34, 4, Content::kExtremes, -1},  {66, 34, 4, Content::kNoise, 0},
      {66, 34, 3, Content::kRamps, -1},     {24, 4, 4, Content::kExtremes, 255},
      {40, 8, 4, Content::kNoise, -1},      {1920, 1080, 4, Content::kNoise, -1},
      {1920, 1080, 4, Content::kExtremes, 255}, {1920, 1080, 3, Content::kRamps, -1},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> picture = Picture(c.width, c.height, c.channels, c.content, c.alpha);
    const std::vector<uint8_t> ours =
        MakeOwnYuvFrames(c.width, c.height, c.channels)->Convert(picture.data());
    const std::vector<uint8_t> theirs =
        MakeSwscaleYuvFrames(c.width, c.height, c.channels)->Convert(picture.data());
    ASSERT_EQ(ours.size(), theirs.size());
    const auto differs = std::mismatch(ours.begin(), ours.end(), theirs.begin());
    EXPECT_TRUE(differs.first == ours.end())
        << c.width << "x" << c.height << "x" << c.channels << " content "
        << static_cast<int>(c.content) << " alpha " << c.alpha << ": byte "
        << (differs.first - ours.begin()) << " of " << ours.size() << " is "
        << static_cast<int>(*differs.first) << ", swscale's " << static_cast<int>(*differs.second);
  }
}

// A conversion that gets its frame wrong is found out when made, and swscale's used instead.
TEST(YuvConversion, FallsBackToSwscaleWhereTheProbeDisagrees) {
  class Wrong final : public YuvFrames {
   public:
    int32_t EvenWidth() const override { return 8; }
    int32_t EvenHeight() const override { return 6; }
    void ConvertInto(const uint8_t*, std::vector<uint8_t>* planes) override { *planes = planes_; }

   private:
    std::vector<uint8_t> planes_ = std::vector<uint8_t>(8 * 6 * 3 / 2, 16);
  };
  const auto wrong = [](int32_t, int32_t, int) -> std::unique_ptr<YuvFrames> {
    return std::make_unique<Wrong>();
  };
  const std::vector<uint8_t> picture = Picture(8, 6, 4, Content::kNoise, -1);
  EXPECT_EQ(MakeCheckedYuvFrames(8, 6, 4, wrong)->Convert(picture.data()),
            MakeSwscaleYuvFrames(8, 6, 4)->Convert(picture.data()));
}

}  // namespace
