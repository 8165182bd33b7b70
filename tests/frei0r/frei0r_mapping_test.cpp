// SPDX-License-Identifier: GPL-2.0-or-later
// The 0..1 mappings at their edges, and the frame index an instance derives from the order
// and times of its updates.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "frei0r/frei0r_params.h"
#include "frei0r/fyrel_instance.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

TEST(Frei0rMapping, SliderEndsAndClamping) {
  EXPECT_EQ(SliderFromUnit(0.0, 1, 100, 45), 1);
  EXPECT_EQ(SliderFromUnit(1.0, 1, 100, 45), 100);
  EXPECT_EQ(SliderFromUnit(-0.0, 0, 255, 7), 0);
  EXPECT_EQ(SliderFromUnit(std::nextafter(1.0, 0.0), 0, 255, 7), 255);
  EXPECT_EQ(SliderFromUnit(-kInf, 1, 100, 45), 1);
  EXPECT_EQ(SliderFromUnit(kInf, 1, 100, 45), 100);
  EXPECT_EQ(SliderFromUnit(1e300, 0, 255, 7), 255);
  EXPECT_EQ(SliderFromUnit(kNan, 0, 255, 7), 7);
  EXPECT_EQ(SliderFromUnit(0.5, 1, 100, 45), 51);  // 49.5 rounds away from zero
  EXPECT_EQ(UnitFromSlider(1, 1, 100), 0.0);
  EXPECT_EQ(UnitFromSlider(100, 1, 100), 1.0);
  // A value the effect would never keep still reads back within 0..1.
  EXPECT_EQ(UnitFromSlider(0, 1, 100), 0.0);
  EXPECT_EQ(UnitFromSlider(300, 0, 255), 1.0);
}

TEST(Frei0rMapping, AngleCoversOneTurnInFixedPoint) {
  EXPECT_EQ(AngleFromUnit(0.0, 5), 0);
  EXPECT_EQ(AngleFromUnit(0.25, 5), 90 << 16);
  EXPECT_EQ(AngleFromUnit(0.5, 5), 180 << 16);
  EXPECT_EQ(AngleFromUnit(1.0, 5), 360 << 16);
  EXPECT_EQ(AngleFromUnit(22.0 / 360.0, 5), 22 << 16);
  EXPECT_EQ(AngleFromUnit(1.5, 5), 360 << 16);
  EXPECT_EQ(AngleFromUnit(-kInf, 5), 0);
  EXPECT_EQ(AngleFromUnit(kNan, 5), 5);
  EXPECT_EQ(UnitFromAngle(90 << 16), 0.25);
  EXPECT_EQ(UnitFromAngle(-(90 << 16)), 0.0);
}

TEST(Frei0rMapping, CheckBoxesAndColourBytes) {
  EXPECT_EQ(CheckBoxFromUnit(0.0, 1), 0);
  EXPECT_EQ(CheckBoxFromUnit(std::nextafter(0.5, 0.0), 1), 0);
  EXPECT_EQ(CheckBoxFromUnit(0.5, 0), 1);
  EXPECT_EQ(CheckBoxFromUnit(kInf, 0), 1);
  EXPECT_EQ(CheckBoxFromUnit(kNan, 1), 1);
  EXPECT_EQ(CheckBoxFromUnit(kNan, 0), 0);
  EXPECT_EQ(ByteFromUnit(0.0f, 9), 0);
  EXPECT_EQ(ByteFromUnit(1.0f, 9), 255);
  EXPECT_EQ(ByteFromUnit(0.5f, 9), 128);
  EXPECT_EQ(ByteFromUnit(3.0f, 9), 255);
  EXPECT_EQ(ByteFromUnit(-std::numeric_limits<float>::infinity(), 9), 0);
  EXPECT_EQ(ByteFromUnit(std::numeric_limits<float>::quiet_NaN(), 9), 9);
  for (int k = 0; k <= 255; ++k) {
    EXPECT_EQ(ByteFromUnit(UnitFromByte(static_cast<uint8_t>(k)), 0), k);
  }
}

class FrameIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    instance_ = FyrelInstance::Create(16, 8);
    ASSERT_NE(instance_, nullptr);
  }
  // The frames the effect renders for these update times.
  std::vector<int32_t> Frames(const std::vector<double>& times) {
    std::vector<int32_t> frames;
    for (double time : times) {
      instance_->Update(time, in_.data(), out_.data());
      frames.push_back(instance_->LastFrame());
    }
    return frames;
  }
  std::unique_ptr<FyrelInstance> instance_;
  std::vector<uint32_t> in_ = std::vector<uint32_t>(16 * 8, 0xFF808080u);
  std::vector<uint32_t> out_ = std::vector<uint32_t>(16 * 8);
};

TEST_F(FrameIndexTest, CountsUpdatesFromOne) {
  EXPECT_EQ(instance_->LastFrame(), 0);
  // The time's size does not matter: a host that starts late still begins at frame 1.
  EXPECT_EQ(Frames({1000.0, 1000.04, 1000.08}), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(FrameIndexTest, RepeatedTimeAdvancesAndEarlierTimeRestarts) {
  EXPECT_EQ(Frames({0.0, 0.0, 0.04, 0.04, -1.0, 2.0, 1.999}),
            (std::vector<int32_t>{1, 2, 3, 4, 1, 2, 1}));
}

TEST_F(FrameIndexTest, UnorderedTimesAreSkippedForTheComparison) {
  // NaN has no order: it neither restarts nor takes the place of the last good time.
  EXPECT_EQ(Frames({3.0, kNan, 2.5, kNan, kNan, 4.0, kInf, 5.0, -kInf}),
            (std::vector<int32_t>{1, 2, 1, 2, 3, 4, 5, 1, 1}));
}

TEST_F(FrameIndexTest, NoOutputFrameRendersNothing) {
  instance_->Update(0.0, in_.data(), nullptr);
  EXPECT_EQ(instance_->LastFrame(), 0);
}

TEST(FyrelInstanceCreate, RefusesEmptyAndHugeFrames) {
  EXPECT_EQ(FyrelInstance::Create(0, 8), nullptr);
  EXPECT_EQ(FyrelInstance::Create(8, 0), nullptr);
  EXPECT_EQ(FyrelInstance::Create(40000, 8), nullptr);
}

TEST(FyrelInstanceCreate, TinyFramesRender) {
  for (const auto& size : {std::pair<unsigned, unsigned>{1, 1}, {2, 3}, {5, 1}, {1, 6}}) {
    auto instance = FyrelInstance::Create(size.first, size.second);
    ASSERT_NE(instance, nullptr);
    std::vector<uint32_t> in(size.first * size.second, 0xFFFFFFFFu), out(in.size(), 1);
    for (int i = 0; i < 3; ++i) instance->Update(i, in.data(), out.data());
    for (unsigned x = 0; x < size.first; ++x) EXPECT_EQ(out[x], 0u);  // row 0 is never drawn
  }
}

}  // namespace
