// SPDX-License-Identifier: GPL-2.0-or-later
// FlameSine: its bits over the phases the engine reaches and over random arguments, locked by
// digests of the correctly rounded values (checked at high precision when they were taken);
// hand-picked values, including points where a library sine is known to round the wrong way;
// and its distance from this platform's std::sin.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <vector>

#include "flame/flame_sine.h"

namespace {

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Distance in representable doubles; both finite.
uint64_t UlpDistance(double a, double b) {
  auto ordered = [](double v) {
    const uint64_t bits = Bits(v);
    return (bits >> 63) ? 0x8000000000000000ull - (bits & 0x7FFFFFFFFFFFFFFFull)
                        : 0x8000000000000000ull + bits;
  };
  const uint64_t x = ordered(a), y = ordered(b);
  return x > y ? x - y : y - x;
}

// The digests below are of the correctly rounded sines of their arguments: when they were
// taken, every result was compared with a 200-bit sine and found to be the nearest double.
struct Digest {
  uint64_t value = 0xcbf29ce484222325ull;  // FNV-1a over the result bytes
  void Add(double result) {
    uint64_t bits = Bits(result);
    for (int i = 0; i < 8; ++i, bits >>= 8) {
      value ^= bits & 0xFF;
      value *= 0x100000001b3ull;
    }
  }
};

// Every value `steps` advances of a phase take, as the render step advances bandPhase
// (increment velocity x 0.0001f rounded to single precision, the sum rounded to single
// precision, back to 0 past 10000) or, with `preview`, as the preview step advances
// previewPhase (velocity x 0.002f, the sum rounded to single precision).
std::vector<double> PhaseRun(int velocity, bool preview, long steps) {
  std::vector<double> phases;
  float phase = 0.0f;
  const float d = static_cast<float>(static_cast<double>(velocity) * static_cast<double>(0.0001f));
  for (long i = 0; i < steps; ++i) {
    phases.push_back(static_cast<double>(phase));
    float next;
    if (preview) {
      next = static_cast<float>(static_cast<double>(phase) +
                                static_cast<double>(velocity) * static_cast<double>(0.002f));
      if (next > 10000.0f) break;
    } else {
      const double advanced = static_cast<double>(phase) + static_cast<double>(d);
      if (advanced > 10000.0) break;
      next = static_cast<float>(advanced);
    }
    phase = next;
  }
  return phases;
}

// Fast render and preview velocities run the whole way to 10000; slow ones their first part.
std::vector<double> EnginePhases() {
  std::vector<double> all;
  const struct { int velocity; bool preview; long steps; } runs[] = {
      {255, false, 1000000}, {97, false, 1100000}, {5, false, 400000},
      {255, true, 1000000},  {7, true, 800000},    {1, true, 300000},
  };
  for (const auto& run : runs) {
    const std::vector<double> phases = PhaseRun(run.velocity, run.preview, run.steps);
    all.insert(all.end(), phases.begin(), phases.end());
  }
  return all;
}

// Uniform doubles in [-range, range) from a fixed 64-bit generator, the same on every build.
std::vector<double> RandomArguments(size_t count, double range) {
  std::vector<double> values;
  uint64_t state = 0x9E3779B97F4A7C15ull;
  for (size_t i = 0; i < count; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const double unit = static_cast<double>(state >> 11) * 0x1p-53;
    values.push_back((2.0 * unit - 1.0) * range);
  }
  return values;
}

struct LibraryComparison {
  long samples = 0;
  long differing = 0;
  uint64_t worst = 0;
};

void Compare(LibraryComparison& comparison, double x, double ours) {
  const double theirs = std::sin(x);
  ++comparison.samples;
  if (Bits(ours) == Bits(theirs)) return;
  ++comparison.differing;
  const uint64_t distance = UlpDistance(ours, theirs);
  if (distance > comparison.worst) comparison.worst = distance;
}

void ExpectCloseToLibrary(const LibraryComparison& comparison, const char* what) {
  std::cout << what << ": FlameSine differs from std::sin in " << comparison.differing << " of "
            << comparison.samples << " (by at most " << comparison.worst << " ulp)\n";
  // A library sine within about 0.55 ulp misrounds a few in a thousand; more means a fault.
  EXPECT_LE(comparison.worst, 1u) << what;
  EXPECT_LT(comparison.differing * 200, comparison.samples) << what;
}

TEST(FlameSine, EnginePhasesGiveTheCorrectlyRoundedSines) {
  const std::vector<double> phases = EnginePhases();
  ASSERT_EQ(phases.size(), 2853881u);  // the runs' lengths, so the digest covers what it says
  Digest digest;
  LibraryComparison library;
  for (const double phase : phases) {
    const double s1 = FlameSine(phase);
    const double s2 = FlameSine(1.1 * phase);
    digest.Add(s1);
    digest.Add(s2);
    Compare(library, phase, s1);
    Compare(library, 1.1 * phase, s2);
  }
  EXPECT_EQ(digest.value, 0x877deb474cabf63bull);
  ExpectCloseToLibrary(library, "engine phases");
}

TEST(FlameSine, RandomArgumentsGiveTheCorrectlyRoundedSines) {
  Digest digest;
  LibraryComparison library;
  for (const double x : RandomArguments(1000000, 1e5)) {
    const double s = FlameSine(x);
    digest.Add(s);
    Compare(library, x, s);
    EXPECT_EQ(Bits(FlameSine(-x)), Bits(-s)) << std::hexfloat << x;
  }
  EXPECT_EQ(digest.value, 0xea97576022943785ull);
  ExpectCloseToLibrary(library, "random arguments up to 1e5");
}

TEST(FlameSine, LargeArgumentsOnBothSidesOfTheReductionChange) {
  // Below 2^20 the argument is reduced with a split pi/2, above it with the bits of 2/pi.
  Digest digest;
  LibraryComparison library;
  for (const double x : RandomArguments(100000, 0x1p21)) {
    const double s = FlameSine(x);
    digest.Add(s);
    Compare(library, x, s);
  }
  for (int e = 21; e <= 1023; e += 2) {
    for (const double x : RandomArguments(200, 1.0)) {
      const double big = std::ldexp(1.0 + std::fabs(x), e);
      const double s = FlameSine(big);
      digest.Add(s);
      Compare(library, big, s);
    }
  }
  EXPECT_EQ(digest.value, 0xee4d96f8f25de412ull);
  ExpectCloseToLibrary(library, "arguments up to 2^1024");
}

TEST(FlameSine, HandPickedValues) {
  const struct { double x; double sine; } cases[] = {
      {0.5, 0x1.eaee8744b05fp-2},
      {1.0, 0x1.aed548f090ceep-1},
      {10000.0, -0x1.38f2fa75d9289p-2},
      {11000.0, -0x1.eb1acfc3e865ep-1},
      {1048576.0, 0x1.526ccb2fc8656p-2},                  // 2^20, the first exactly reduced
      {0x1.fffffffffffffp+19, 0x1.526ccb2de52a8p-2},      // the last split-reduced
      {1e22, -0x1.b453ab76bf397p-1},
      {0x1.fffffffffffffp+1023, 0x1.452fc98b34e97p-8},
      // The true sines lie within 0.01 ulp of a midpoint; a sine good to 0.55 ulp may round
      // these either way.
      {0x1.74d5b6eec132p-1, 0x1.54bf4d94a0d37p-1},
      {0x1.21d64e1f38988p+16, 0x1.5a39d455870c3p-3},
  };
  for (const auto& c : cases) EXPECT_EQ(Bits(FlameSine(c.x)), Bits(c.sine)) << std::hexfloat << c.x;
}

TEST(FlameSine, SmallArgumentsAndZeros) {
  EXPECT_EQ(Bits(FlameSine(0.0)), Bits(0.0));
  EXPECT_EQ(Bits(FlameSine(-0.0)), Bits(-0.0));
  // Below 2^-26 (and a little above) x - x^3/6 rounds to x.
  const double tiny[] = {0x1p-1074, -0x1p-1022, 1e-300, 0x1.fffffffffffffp-27, -0x1p-30,
                         0x1p-26, 0x1.0000000000001p-26};
  for (const double x : tiny) EXPECT_EQ(Bits(FlameSine(x)), Bits(x)) << std::hexfloat << x;
  EXPECT_EQ(Bits(FlameSine(0x1.8p-20)), Bits(0x1.7fffffffff7p-20));
  EXPECT_EQ(Bits(FlameSine(0x1p-10)), Bits(0x1.fffffaaaaaaefp-11));
  EXPECT_EQ(Bits(FlameSine(-0x1.23456789abcdep-5)), Bits(-0x1.2335b1cd351ccp-5));
}

TEST(FlameSine, ArgumentsNearMultiplesOfHalfPi) {
  // Doubles nearest to k pi/2 that come closest to it: the reduction cancels all but the last
  // few bits of x and must still leave the sine right to the last bit.
  const struct { double x; double sine; } cases[] = {
      {0x1.921fb54442d18p+0, 0x1p+0},                        // nearest pi/2
      {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53},         // nearest pi
      {0x1.921fb54442d18p+2, -0x1.1a62633145c07p-52},        // nearest 2 pi
      {0x1.6c6cbc45dc8dep+5, 0x1p+0},                        // 29 pi/2, the closest below 11000
      {0x1.6c6cbc45dc8dep+6, -0x1.6d61b58c99c43p-60},        // 58 pi/2
      {0x1.6c6cbc45dc8dep+12, 0x1.6d61b58c99c43p-54},        // 3712 pi/2
      {0x1.39c6fd67805a7p+18, -0x1p+0},                      // 204551 pi/2, the closest below 2^20
      {0x1.39c6fd67805a7p+19, 0x1.988efe18ff83fp-54},        // 409102 pi/2
      {0x1.93c05c9ed3cbcp+19, -0x1.065d73720c4f9p-51},       // 526410 pi/2
      {0x1.edb9bbd6273d1p+19, -0x1.1fe663539c47dp-50},       // 643718 pi/2
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Bits(FlameSine(c.x)), Bits(c.sine)) << std::hexfloat << c.x;
    EXPECT_EQ(Bits(FlameSine(-c.x)), Bits(-c.sine)) << std::hexfloat << c.x;
  }
}

TEST(FlameSine, NonFiniteArgumentsGiveNaN) {
  EXPECT_TRUE(std::isnan(FlameSine(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(FlameSine(-std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(FlameSine(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
