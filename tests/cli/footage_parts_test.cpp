// SPDX-License-Identifier: GPL-2.0-or-later
// The parts of reading footage that no clip made by this ffmpeg shows: flips in the display
// matrix, a variable rate and a late picture in the probe's answer, and the rates --fps takes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/flags/command_line.h"
#include "cli/flags/flag_values.h"
#include "cli/media/orientation.h"
#include "cli/media/video_probe.h"
#include "cli/platform/cli_error.h"

TEST(Footage, DisplayMatricesTurnAndFlipTheStoredPicture) {
  // A stored 3 x 2 picture, pixels numbered 0..5 row by row (in each pixel's red).
  std::vector<uint8_t> stored(3 * 2 * 4);
  for (int i = 0; i < 6; ++i) stored[i * 4] = static_cast<uint8_t>(i);
  struct Case {
    int64_t a, b, c, d;
    std::vector<int> shown;  // the numbers as shown, row by row
  };
  const int64_t one = 65536;
  const Case cases[] = {
      {one, 0, 0, one, {0, 1, 2, 3, 4, 5}},
      {-one, 0, 0, one, {2, 1, 0, 5, 4, 3}},   // mirrored, as a front camera may write it
      {one, 0, 0, -one, {3, 4, 5, 0, 1, 2}},   // upside down
      {0, -one, one, 0, {2, 5, 1, 4, 0, 3}},   // a quarter turn counterclockwise
      {0, one, -one, 0, {3, 0, 4, 1, 5, 2}},   // clockwise
      {0, one, one, 0, {0, 3, 1, 4, 2, 5}},    // turned and mirrored: the transpose
  };
  for (const Case& c : cases) {
    const int64_t matrix[9] = {c.a, c.b, 0, c.c, c.d, 0, 0, 0, int64_t{1} << 30};
    Orientation orientation;
    ASSERT_TRUE(OrientationFromMatrix(matrix, &orientation));
    std::vector<uint8_t> shown(stored.size());
    OrientFrame(stored.data(), 3, 2, orientation, shown.data());
    std::vector<int> numbers;
    for (size_t i = 0; i < shown.size(); i += 4) numbers.push_back(shown[i]);
    EXPECT_EQ(numbers, c.shown) << c.a << " " << c.b << " " << c.c << " " << c.d;
  }
  const int64_t turned45[9] = {46341, -46341, 0, 46341, 46341, 0, 0, 0, int64_t{1} << 30};
  Orientation orientation;
  EXPECT_FALSE(OrientationFromMatrix(turned45, &orientation));
}

TEST(Footage, TheProbeGivesTheRateAndTheSound) {
  // A variable rate: its average, which keeps the clip's length.
  const VideoStreamInfo info =
      ParseVideoProbe("codec_name=vp9\nwidth=8\nheight=6\nr_frame_rate=25/1\navg_frame_rate=50/3\n"
                      "nb_read_frames=20\nformat_name=matroska,webm\n",
                      "v.webm");
  EXPECT_EQ(info.rate, FrameRate(50, 3));
  EXPECT_THROW(ParseVideoProbe("width=8\nheight=6\nnb_read_frames=0\n", "empty.mp4"), CliError);
  // The sound, and where the picture starts against it.
  const SourceSound sound = ParseSoundProbe(
      "stream|codec_name=h264|codec_type=video|start_time=0.480000\n"
      "stream|codec_name=aac|codec_type=audio|start_time=0.000000\nformat|start_time=0.000000\n");
  EXPECT_EQ(sound.codec, "aac");
  EXPECT_DOUBLE_EQ(sound.videoDelay, 0.48);
  EXPECT_EQ(ParseSoundProbe("stream|codec_name=h264|codec_type=video|start_time=N/A\n").codec, "");
}

TEST(Footage, FrameRatesAreExactFractions) {
  struct Case {
    const char* text;
    int64_t num, den;
  };
  for (const Case& c : {Case{"25", 25, 1}, Case{"30000/1001", 30000, 1001},
                        Case{"29.97", 2997, 100}, Case{"12.5", 25, 2}, Case{"50/2", 25, 1}}) {
    int64_t num = 0, den = 0;
    ASSERT_TRUE(ParseRateText(c.text, &num, &den)) << c.text;
    EXPECT_EQ(num, c.num) << c.text;
    EXPECT_EQ(den, c.den) << c.text;
  }
  for (const char* bad : {"", "/", "1/", "/2", "0", "0/5", "-25", "2.5.1", "1e2", "25fps"}) {
    int64_t num = 0, den = 0;
    EXPECT_FALSE(ParseRateText(bad, &num, &den)) << bad;
  }
  const Invocation given = ParseCommandLine({"render", "--fps", "30000/1001"});
  EXPECT_TRUE(given.fpsGiven);
  EXPECT_EQ(given.fps, FrameRate(30000, 1001));
  for (const char* outOfRange : {"1/2", "120.5", "121"}) {
    EXPECT_THROW(ParseCommandLine({"render", "--fps", outOfRange}), CliError) << outOfRange;
  }
}
