// SPDX-License-Identifier: GPL-2.0-or-later
// The disc seeding: amplitude truncation seen through the columns a disc writes, the band
// count through bandPhase, and whole grids against the plain model.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "float_bits.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "reference_flame.h"
#include "tests/support/engine_passes.h"

namespace {

using reference::Grid;

std::set<int> WrittenColumns(const Grid& field, int columns) {
  std::set<int> written;
  for (size_t i = 0; i < field.size(); ++i)
    if (field[i] != 0) written.insert(static_cast<int>(i % columns));
  return written;
}

TEST(DiscSeeding, Width41Amplitude12GivesAmplitude4) {
  FlameState state;
  // Seed(0): RW = 38 mod 42 = 38, the first RX = 7719 mod 42 = 33. With bandPhase 0 both
  // offsets equal A, so the disc at x = 1 covers columns 1 - 33 + A to A: 1..4 once clipped.
  // The next disc (x = 67) and band (y = 46) fall outside 12 x 20.
  const int columns = 12, rows = 20;
  const Grid mask(columns * rows, 255);
  Grid field(columns * rows, 0);
  state.bandPhase = 0.0f;
  SeedFlameDiscs(state, field.data(), mask.data(), columns, rows, 41, 12, 0);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      const bool inside = y >= 1 && y <= rows - 2 && x >= 1 && x <= 4;
      EXPECT_EQ(field[y * columns + x], inside ? 255 : 0) << "(" << y << "," << x << ")";
    }
}

TEST(DiscSeeding, ProductOf100GivesAmplitudeZero) {
  FlameState state;
  // Width 10, amplitude 10: 10 x (10 x 0.01f) is just below 1, so A = 0 and every disc stays
  // left of its centre. RW = 38 mod 11 = 5, RX = 8, 8, 6, ... so the discs sit at x = 1, 17, 33
  // and, with radius 5, reach columns 13..16 and 29..32 only.
  const int columns = 40, rows = 12;
  const Grid mask(columns * rows, 255);
  Grid field(columns * rows, 0);
  state.bandPhase = 0.0f;
  SeedFlameDiscs(state, field.data(), mask.data(), columns, rows, 10, 10, 0);
  EXPECT_EQ(WrittenColumns(field, columns),
            (std::set<int>{13, 14, 15, 16, 29, 30, 31, 32}));
  EXPECT_EQ(field[1 * columns + 16], 255);
  EXPECT_EQ(field[1 * columns + 17], 0);
}

TEST(DiscSeeding, MaskValuesAreCopiedAndZeroMaskCellsLeaveTheField) {
  FlameState state;
  const int columns = 12, rows = 20;
  Grid mask(columns * rows), field(columns * rows, 7);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = (i % 3 == 0) ? 0 : static_cast<uint8_t>(i);
  state.bandPhase = 0.0f;
  SeedFlameDiscs(state, field.data(), mask.data(), columns, rows, 41, 12, 0);
  for (int y = 1; y <= rows - 2; ++y)
    for (int x = 1; x <= 4; ++x) {
      const int i = y * columns + x;
      EXPECT_EQ(field[i], mask[i] == 0 ? 7 : mask[i]);
    }
}

TEST(DiscSeeding, OneBandAdvancePerBand) {
  FlameState state;
  // Width >= 38: RW is 38 and the bands start at rows 1, 46, 91.
  const float d = static_cast<float>(200 * static_cast<double>(0.0001f));
  for (auto [rows, bands] : {std::pair{46, 1}, std::pair{47, 2}, std::pair{91, 2},
                             std::pair{92, 3}}) {
    const Grid mask(20 * rows, 0);
    Grid field(20 * rows, 0);
    state.bandPhase = 1.0f;
    SeedFlameDiscs(state, field.data(), mask.data(), 20, rows, 40, 30, 200);
    float expected = 1.0f;
    for (int b = 0; b < bands; ++b) expected = expected + d;
    EXPECT_EQ(FloatBits(state.bandPhase), FloatBits(expected)) << rows << " rows";
  }
}

TEST(DiscSeeding, PhaseIncrementIsRoundedToSinglePrecision) {
  FlameState state;
  // d = 44 x 0.0001f rounded to single, then the sum rounded again: 0.37f gives 0.37440002f;
  // keeping d in double would give 0.37439999f.
  const Grid mask(20 * 20, 0);
  Grid field(20 * 20, 0);
  state.bandPhase = 0.37f;
  SeedFlameDiscs(state, field.data(), mask.data(), 20, 20, 40, 30, 44);
  EXPECT_EQ(FloatBits(state.bandPhase), FloatBits(0.3744000196456909f));
}

TEST(DiscSeeding, PhaseWrapsToZeroAbove10000) {
  FlameState state;
  const Grid mask(20 * 20, 0);
  Grid field(20 * 20, 0);
  state.bandPhase = 9999.99f;
  SeedFlameDiscs(state, field.data(), mask.data(), 20, 20, 40, 30, 255);
  EXPECT_EQ(FloatBits(state.bandPhase), 0u);
  // Reaching exactly 10000 does not wrap.
  state.bandPhase = 10000.0f;
  SeedFlameDiscs(state, field.data(), mask.data(), 20, 20, 40, 30, 0);
  EXPECT_EQ(state.bandPhase, 10000.0f);
}

TEST(DiscSeeding, MatchesThePlainModel) {
  FlameState state;
  const int columns = 83, rows = 71;
  Grid mask(columns * rows);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x)
      mask[y * columns + x] = ((x + 2 * y) % 7 == 0) ? 0 : static_cast<uint8_t>(x * 3 + y * 5);
  struct Case {
    int width, amplitude, velocity;
    float phase;
  };
  const Case cases[] = {{0, 0, 0, 0.0f},      {1, 255, 255, 0.5f},  {7, 90, 30, 2.0f},
                        {13, 40, 100, 4.7f},  {38, 12, 7, 123.25f}, {41, 12, 255, 9999.99f},
                        {100, 77, 50, 3.14f}, {255, 255, 1, 777.0f}};
  for (const Case& c : cases) {
    Grid actual(columns * rows, 1), expected = actual;
    float expectedPhase = c.phase;
    reference::Random random{12345};
    reference::SeedDiscs(expected, mask, columns, rows, c.width, c.amplitude, c.velocity,
                         expectedPhase, random);
    state.bandPhase = c.phase;
    state.random.state = 12345;
    SeedFlameDiscs(state, actual.data(), mask.data(), columns, rows, c.width, c.amplitude,
                   c.velocity);
    EXPECT_EQ(actual, expected) << "width " << c.width << " amplitude " << c.amplitude;
    EXPECT_EQ(FloatBits(state.bandPhase), FloatBits(expectedPhase)) << "width " << c.width;
    EXPECT_EQ(state.random.state, random.state) << "width " << c.width;
  }
}

}  // namespace
