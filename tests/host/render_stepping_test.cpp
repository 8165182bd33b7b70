// SPDX-License-Identifier: GPL-2.0-or-later
// The render's bookkeeping seen from outside: the direction code, the reset with its warm-up,
// and the steps per render that the step credit allows, held against renders told step by
// step on the test's own buffers and against the steps counted from the band phase.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_support.h"
#include "render_oracle.h"

namespace {

using hosttest::OracleFlame;
using hosttest::Shape;
using hosttest::StartedHost;
using hosttest::StepsOfRender;

constexpr int32_t kDegree = 0x10000;

TEST(DirectionCode, EachRangeOfDegrees) {
  const struct {
    int32_t fixed;
    int code;
  } cases[] = {
      {0, 4},
      {45 * kDegree, 5},
      {90 * kDegree, 6},
      {180 * kDegree, 0},
      {270 * kDegree, 2},
      {static_cast<int32_t>(21.9 * kDegree), 4},
      {22 * kDegree, 5},
      {-90 * kDegree, 2},
      {-kDegree / 2, 4},  // -0.5 degrees floors to -1, that is 359
      {-338 * kDegree - kDegree / 2, 4},  // floors to -339, that is 21
      {-338 * kDegree, 5},
      {66 * kDegree + 0xFFFF, 5},
      {67 * kDegree, 6},
      {111 * kDegree, 6},
      {112 * kDegree, 7},
      {156 * kDegree, 7},
      {157 * kDegree, 0},
      {201 * kDegree, 0},
      {202 * kDegree, 1},
      {246 * kDegree, 1},
      {247 * kDegree, 2},
      {291 * kDegree, 2},
      {292 * kDegree, 3},
      {336 * kDegree, 3},
      {337 * kDegree, 4},
      {360 * kDegree, 4},
      {(720 + 45) * kDegree, 5},
      {-315 * kDegree, 5},
      {-(32767 * kDegree), 4},  // the remainder -7 becomes 353
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FlameDirectionCode(c.fixed), c.code) << c.fixed / double(kDegree) << " degrees";
  }
}

struct FirstRenderCase {
  int32_t direction;  // 16.16 degrees
  int code;
  int32_t birth;
  int steps;  // warm-up and stepping of the first render after allocation
};

class FirstRender : public ::testing::TestWithParam<FirstRenderCase> {};

// The first render after allocation, against the same render told step by step: mask, drop
// pass, reseeding, the warm-up unless "Birth" is on, then 5 steps in the direction's code.
TEST_P(FirstRender, MatchesTheStepsToldOneByOne) {
  const FirstRenderCase c = GetParam();
  const int32_t width = 24, height = 20;
  const std::vector<PF_Pixel> source = hosttest::DiscImage(width, height);
  auto host = StartedHost(width, height);
  host->SetInput(source.data(), width, height);
  host->SetValue("Fire Direction", c.direction);
  host->SetValue("Birth", c.birth);

  hosttest::Fire().random.state = 12345;
  hosttest::Fire().bandPhase = 0.25f;
  ASSERT_EQ(host->Render(7), PF_Err_NONE);
  const uint32_t randomAfter = hosttest::Fire().random.state;
  const float phaseAfter = hosttest::Fire().bandPhase;

  OracleFlame oracle(width, height);
  hosttest::Fire().random.state = 12345;
  hosttest::Fire().bandPhase = 0.25f;
  oracle.Render(source, width, height, Shape{}, c.code, true, c.steps);

  EXPECT_EQ(hosttest::MaskOf(*host), oracle.mask);
  EXPECT_EQ(hosttest::FieldOf(*host), oracle.field);
  EXPECT_EQ(std::vector<uint8_t>(hosttest::Record(*host)->drops,
                                 hosttest::Record(*host)->drops + oracle.drops.size()),
            oracle.drops);
  EXPECT_EQ(randomAfter, hosttest::Fire().random.state);
  EXPECT_EQ(phaseAfter, hosttest::Fire().bandPhase);

  // And the field coloured through the built-in table with "Alpha" 213.
  const FlameColorTable table = hosttest::BuiltinTable();
  const std::vector<PF_Pixel>& out = host->Output();
  int lit = 0;
  for (int32_t y = 1; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      const FlamePixel e = FlameHeatPixel(oracle.field[i], table, 213);
      ASSERT_TRUE(out[i].alpha == e.alpha && out[i].red == e.red && out[i].green == e.green &&
                  out[i].blue == e.blue)
          << y << "," << x;
      lit += oracle.field[i] != 0;
    }
  }
  EXPECT_GT(lit, 20) << "the scenario should burn";
}

INSTANTIATE_TEST_SUITE_P(
    WarmUpAndDirection, FirstRender,
    ::testing::Values(FirstRenderCase{0, 4, 0, 55}, FirstRenderCase{0, 4, 1, 5},
                      FirstRenderCase{-90 * kDegree, 2, 0, 55},
                      FirstRenderCase{static_cast<int32_t>(21.9 * kDegree), 4, 1, 5},
                      FirstRenderCase{22 * kDegree, 5, 1, 5},
                      FirstRenderCase{180 * kDegree, 0, 0, 55},
                      FirstRenderCase{135 * kDegree, 7, 1, 5}));

// Steps per render from the first render after a reset, for `renders` renders of frames 2,
// 3, ... on a fresh sequence.
std::vector<int> StepPattern(int velocity, int renders) {
  auto host = StartedHost(8, 8);
  const std::vector<PF_Pixel> source = hosttest::DiscImage(8, 8);
  host->SetInput(source.data(), 8, 8);
  host->SetValue("Velocity", velocity);
  std::vector<int> steps;
  for (int i = 0; i < renders; ++i) steps.push_back(StepsOfRender(*host, 2 + i));
  return steps;
}

std::vector<int> Repeat(std::vector<int> cycle, int times) {
  std::vector<int> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), cycle.begin(), cycle.end());
  return out;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> out;
  for (const std::vector<int>& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(StepPattern, Velocity100RunsFiveEveryRender) {
  EXPECT_EQ(StepPattern(100, 30), std::vector<int>(30, 5));
}

TEST(StepPattern, Velocity50) {
  std::vector<int> twos31(31, 2), twos32(32, 2);
  const std::vector<int> expected =
      Join({{5, 5}, twos31, {5}, twos32, {5}, twos32, {5}, twos32, {5}});
  EXPECT_EQ(StepPattern(50, static_cast<int>(expected.size())), expected);
}

TEST(StepPattern, Velocity45TheDefault) {
  std::vector<int> cycle(14, 2);
  cycle.push_back(0);
  const std::vector<int> expected = Join({{5}, Repeat(cycle, 5)});
  EXPECT_EQ(StepPattern(45, static_cast<int>(expected.size())), expected);
}

TEST(StepPattern, Velocity10WithItsFirstShorterCycleAtRenders56To58) {
  const std::vector<int> expected = Join({{5, 0, 0, 2}, Repeat({0, 0, 0, 2}, 13), {0, 0, 2}});
  ASSERT_EQ(expected.size(), 59u);
  const std::vector<int> steps = StepPattern(10, 120);
  EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 59), expected);
  // Beyond, cycles of (0, 0, 0, 2) and now and then (0, 0, 2).
  int zeros = 0;
  for (size_t i = 59; i < steps.size(); ++i) {
    if (steps[i] == 0) {
      ++zeros;
      EXPECT_LE(zeros, 3) << "render " << i;
    } else {
      EXPECT_EQ(steps[i], 2) << "render " << i;
      EXPECT_GE(zeros, 2) << "render " << i;
      zeros = 0;
    }
  }
}

TEST(StepPattern, Velocity1TwoStepsWithGapsOf13And12) {
  const std::vector<int> steps = StepPattern(1, 110);
  std::vector<int> expected(110, 0);
  expected[0] = 5;
  for (int at : {12, 25, 37, 50, 62, 75, 87, 100}) expected[at] = 2;
  EXPECT_EQ(steps, expected);
}

TEST(StepPattern, OnlyTheLowByteOfVelocityCounts) {
  EXPECT_EQ(StepPattern(256 + 45, 4), (std::vector<int>{5, 2, 2, 2}));
}

TEST(StepPattern, ACreditOfExactlyOneRunsTwoSteps) {
  // "Velocity" 25 adds 0.54545456 per render; at the eleventh render the credit is 1.0 exactly.
  EXPECT_EQ(StepPattern(25, 12), (std::vector<int>{5, 2, 0, 2, 0, 2, 0, 2, 0, 2, 2, 0}));
}

TEST(Reset, VelocityActsOnTheStepCountOnlyAfterTheNextReset) {
  auto host = StartedHost(8, 8);
  const std::vector<PF_Pixel> source = hosttest::DiscImage(8, 8);
  host->SetInput(source.data(), 8, 8);
  EXPECT_EQ(StepsOfRender(*host, 1), 5);  // reset with "Velocity" 45
  EXPECT_EQ(StepsOfRender(*host, 2), 2);
  host->SetValue("Velocity", 100);
  EXPECT_EQ(StepsOfRender(*host, 3), 2) << "100 would run 5";
  host->SetValue("Velocity", 1);
  EXPECT_EQ(StepsOfRender(*host, 4), 2) << "1 would run 0";
  host->SetValue("Velocity", 100);
  EXPECT_EQ(StepsOfRender(*host, 1), 5);  // the reset takes 100
  EXPECT_EQ(StepsOfRender(*host, 2), 5);
  EXPECT_EQ(StepsOfRender(*host, 3), 5);
}

TEST(Reset, FrameOneTwiceResetsTwiceWithoutClearing) {
  const int32_t width = 24, height = 20;
  const std::vector<PF_Pixel> source = hosttest::DiscImage(width, height);
  auto host = StartedHost(width, height);
  host->SetInput(source.data(), width, height);
  host->SetValue("Birth", 0);

  OracleFlame oracle(width, height);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    hosttest::Fire().random.state = 999u + round;
    hosttest::Fire().bandPhase = 0.5f;
    ASSERT_EQ(host->Render(1), PF_Err_NONE);
    const float phase = hosttest::Fire().bandPhase;
    hosttest::Fire().random.state = 999u + round;
    hosttest::Fire().bandPhase = 0.5f;
    oracle.Render(source, width, height, Shape{}, 4, true, 55);  // continues from its field
    EXPECT_EQ(hosttest::FieldOf(*host), oracle.field);
    EXPECT_EQ(phase, hosttest::Fire().bandPhase);
  }
  // A cleared field would have given what a fresh field gives after the same render.
  OracleFlame fresh(width, height);
  hosttest::Fire().random.state = 1000u;
  hosttest::Fire().bandPhase = 0.5f;
  fresh.Render(source, width, height, Shape{}, 4, true, 55);
  EXPECT_NE(hosttest::FieldOf(*host), fresh.field);
}

TEST(Reset, FrameZeroDoesNotResetAndAZeroTimeStepCountsAsFrameOne) {
  auto host = StartedHost(8, 8);
  const std::vector<PF_Pixel> source = hosttest::DiscImage(8, 8);
  host->SetInput(source.data(), 8, 8);
  host->SetValue("Birth", 0);
  EXPECT_EQ(StepsOfRender(*host, 0), 55) << "a new sequence's first render resets";
  EXPECT_EQ(StepsOfRender(*host, 0), 2);
  EXPECT_EQ(StepsOfRender(*host, -1), 2);
  EXPECT_EQ(StepsOfRender(*host, 1), 55);
  host->SetTimeStep(0);
  EXPECT_EQ(StepsOfRender(*host, 5), 55);
  host->SetTimeStep(100);
  EXPECT_EQ(StepsOfRender(*host, 5), 2);
  EXPECT_EQ(StepsOfRender(*host, 1), 55);
}

TEST(Reset, TheStepCreditIsSharedByEveryInstance) {
  const std::vector<PF_Pixel> source = hosttest::DiscImage(8, 8);
  auto a = StartedHost(8, 8);
  a->SetInput(source.data(), 8, 8);
  auto b = StartedHost(8, 8);
  b->SetInput(source.data(), 8, 8);
  b->SetValue("Velocity", 100);
  EXPECT_EQ(StepsOfRender(*a, 1), 5);
  EXPECT_EQ(StepsOfRender(*a, 2), 2);
  EXPECT_EQ(StepsOfRender(*b, 2), 5);  // b's first render resets the shared credit
  EXPECT_EQ(StepsOfRender(*a, 3), 5) << "a now steps at b's rate";
}

}  // namespace
