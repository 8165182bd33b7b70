// SPDX-License-Identifier: GPL-2.0-or-later
// The source mask as renders leave it: brightness (inverted or not) in the interior, a border
// of two cells that stays 0, transparent pixels that keep their cells, and a source layer read
// by its own stride and size whatever the output's.
#include <gtest/gtest.h>

#include <vector>

#include "host_test_support.h"
#include "render_oracle.h"

namespace {

using hosttest::MaskOf;
using hosttest::StartedHost;

// Opaque pixels whose largest component differs from cell to cell and sits in every channel.
std::vector<PF_Pixel> PatternImage(int32_t width, int32_t height, int32_t stride) {
  std::vector<PF_Pixel> image(static_cast<size_t>(stride) * height, PF_Pixel{255, 99, 99, 99});
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t m = static_cast<uint8_t>(31 * x + 17 * y + 5);
      PF_Pixel p = {255, static_cast<uint8_t>(m / 3), static_cast<uint8_t>(m / 2),
                    static_cast<uint8_t>(m / 5)};
      if ((x + y) % 3 == 0) p.red = m;
      else if ((x + y) % 3 == 1) p.green = m;
      else p.blue = m;
      image[static_cast<size_t>(y) * stride + x] = p;
    }
  }
  return image;
}

uint8_t Largest(const PF_Pixel& p) {
  uint8_t m = p.red > p.green ? p.red : p.green;
  return p.blue > m ? p.blue : m;
}

TEST(SourceMask, BrightnessInsideATwoCellBorderThatStaysZero) {
  for (int32_t invert : {0, 1}) {
    SCOPED_TRACE(invert);
    const int32_t width = 45, height = 9;
    const std::vector<PF_Pixel> source = PatternImage(width, height, width);
    auto host = StartedHost(width, height);
    host->SetInput(source.data(), width, height);
    host->SetValue("Invert Source", invert);
    ASSERT_EQ(host->Render(1), PF_Err_NONE);
    const std::vector<uint8_t> mask = MaskOf(*host);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const bool interior = x >= 2 && x <= width - 3 && y >= 2 && y <= height - 3;
        const uint8_t m = Largest(source[static_cast<size_t>(y) * width + x]);
        const int expected = !interior ? 0 : invert ? 255 - m : m;
        EXPECT_EQ(mask[static_cast<size_t>(y) * width + x], expected) << y << "," << x;
      }
    }
  }
}

TEST(SourceMask, TheBorderStaysZeroUnderAFullSource) {
  // Black and inverted: every interior cell 255, and the border still 0 after many renders.
  const int32_t width = 42, height = 8;
  const std::vector<PF_Pixel> source = hosttest::SolidImage(width, height, {255, 0, 0, 0});
  auto host = StartedHost(width, height);
  host->SetInput(source.data(), width, height);
  for (int frame = 1; frame <= 5; ++frame) ASSERT_EQ(host->Render(frame), PF_Err_NONE);
  const std::vector<uint8_t> mask = MaskOf(*host);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const bool interior = x >= 2 && x <= width - 3 && y >= 2 && y <= height - 3;
      EXPECT_EQ(mask[static_cast<size_t>(y) * width + x], interior ? 255 : 0) << y << "," << x;
    }
  }
}

TEST(SourceMask, ATransparentPixelKeepsItsCell) {
  // Rows long enough that whole runs of cells, and the cells after them, are built at once.
  const int32_t width = 56, height = 8;
  const int32_t columns[] = {4, 20, 33, 40, 45, 51, 53};
  std::vector<PF_Pixel> source = hosttest::SolidImage(width, height, {255, 40, 40, 40});
  for (int32_t x : columns) {
    source[3 * width + x] = {255, 200, 10, static_cast<uint8_t>(x)};
    source[4 * width + x] = {0, 250, 250, 250};  // transparent from the start
  }
  auto host = StartedHost(width, height);
  host->SetInput(source.data(), width, height);
  host->SetValue("Invert Source", 0);
  ASSERT_EQ(host->Render(1), PF_Err_NONE);
  for (int32_t x : columns) {
    EXPECT_EQ(MaskOf(*host)[3 * width + x], 200) << x;
    EXPECT_EQ(MaskOf(*host)[4 * width + x], 0) << x;
  }

  // Now row 3's cells turn transparent and another colour; everything else changes brightness.
  source = hosttest::SolidImage(width, height, {255, 70, 70, 70});
  for (int32_t x : columns) {
    source[3 * width + x] = {0, 5, 5, 5};
    source[4 * width + x] = {0, 250, 250, 250};
  }
  host->SetInput(source.data(), width, height);
  host->SetValue("Invert Source", 1);
  ASSERT_EQ(host->Render(2), PF_Err_NONE);
  const std::vector<uint8_t> mask = MaskOf(*host);
  for (int32_t x : columns) {
    EXPECT_EQ(mask[3 * width + x], 200) << x << ": kept from the earlier render";
    EXPECT_EQ(mask[4 * width + x], 0) << x;
    EXPECT_EQ(mask[3 * width + x - 1], 255 - 70) << x;
    EXPECT_EQ(mask[2 * width + x], 255 - 70) << x;
  }
}

// The expected mask: the source read by its own stride, limited to the source and the mask's
// interior; everything else 0.
std::vector<uint8_t> ExpectedMask(const std::vector<PF_Pixel>& source, int32_t sourceWidth,
                                  int32_t sourceHeight, int32_t sourceStride, int32_t stride,
                                  int32_t rows) {
  std::vector<uint8_t> mask(static_cast<size_t>(stride) * rows, 0);
  for (int32_t y = 2; y <= rows - 3; ++y) {
    for (int32_t x = 2; x <= stride - 3; ++x) {
      if (x >= sourceWidth || y >= sourceHeight) continue;
      mask[static_cast<size_t>(y) * stride + x] =
          static_cast<uint8_t>(255 - Largest(source[static_cast<size_t>(y) * sourceStride + x]));
    }
  }
  return mask;
}

struct LayoutCase {
  int32_t frameWidth, frameHeight, outputStride;
  int32_t sourceWidth, sourceHeight, sourceStride;
};

class SourceLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SourceLayout, IsReadByItsOwnStrideAndNeverPastItsEnd) {
  const LayoutCase c = GetParam();
  const std::vector<PF_Pixel> source = PatternImage(c.sourceWidth, c.sourceHeight, c.sourceStride);
  auto host = StartedHost(c.frameWidth, c.frameHeight, c.outputStride);
  host->SetInput(source.data(), c.sourceWidth, c.sourceHeight, c.sourceStride);
  ASSERT_EQ(host->Render(1), PF_Err_NONE);
  EXPECT_EQ(MaskOf(*host), ExpectedMask(source, c.sourceWidth, c.sourceHeight, c.sourceStride,
                                        c.outputStride, c.frameHeight));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SourceLayout,
    ::testing::Values(LayoutCase{16, 12, 16, 16, 12, 24},   // the source's rows are longer
                      LayoutCase{16, 12, 24, 16, 12, 16},   // the output's rows are longer
                      LayoutCase{16, 12, 16, 10, 6, 10},    // a smaller source
                      LayoutCase{16, 12, 16, 10, 6, 13},    // smaller, with padding
                      LayoutCase{16, 12, 20, 22, 15, 22},   // a larger source
                      LayoutCase{16, 12, 16, 3, 3, 3},      // a source without interior
                      LayoutCase{48, 10, 48, 48, 10, 53},   // rows of whole runs
                      LayoutCase{48, 10, 56, 48, 10, 48},
                      LayoutCase{48, 10, 48, 41, 7, 44}));

TEST(SourceMask, NoSourceLayerFeedsNothing) {
  auto host = StartedHost(12, 9);
  host->SetInput(nullptr, 0, 0);
  ASSERT_EQ(host->Render(1), PF_Err_NONE);
  EXPECT_EQ(MaskOf(*host), std::vector<uint8_t>(12 * 9, 0));
}

}  // namespace
