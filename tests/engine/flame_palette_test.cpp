// SPDX-License-Identifier: GPL-2.0-or-later
// The four-colour gradient: the worked examples, the position corner cases, the mixed
// precision of its increments, and the colour table filled from either source.
#include <gtest/gtest.h>

#include <cstring>

#include "flame/flame_palette.h"
#include "reference_palette.h"

namespace {

struct Bgr {
  int blue, green, red;
  bool operator==(const Bgr& o) const {
    return blue == o.blue && green == o.green && red == o.red;
  }
};

std::ostream& operator<<(std::ostream& out, const Bgr& c) {
  return out << "(" << c.blue << ", " << c.green << ", " << c.red << ")";
}

Bgr EntryOf(const FlamePalette& palette, int e) {
  return {palette.entries[e][kEntryBlue], palette.entries[e][kEntryGreen],
          palette.entries[e][kEntryRed]};
}

bool HoldsColour(const FlamePalette& palette, FlameColor color) {
  const reference::Rgb c = reference::Channels(color);
  for (int e = 0; e < 256; ++e)
    if (EntryOf(palette, e) == Bgr{c.blue, c.green, c.red}) return true;
  return false;
}

const FlameColor kBlack = MakeFlameColor(0, 0, 0);
const FlameColor kWhite = MakeFlameColor(255, 255, 255);
const FlameColor kRed = MakeFlameColor(255, 0, 0);
const FlameColor kGreen = MakeFlameColor(0, 255, 0);
const FlameColor kBlue = MakeFlameColor(0, 0, 255);
const FlameColor kYellow = MakeFlameColor(255, 255, 0);

TEST(FlamePalette, WhiteYellowRedBlack) {
  FlamePalette palette{};
  BuildFlamePalette(palette, kWhite, kYellow, kRed, kBlack, 85, 171);
  const std::pair<int, Bgr> expected[] = {
      {0, {255, 255, 255}}, {1, {252, 255, 255}}, {42, {129, 255, 255}}, {84, {3, 255, 255}},
      {85, {0, 255, 255}},  {86, {0, 252, 255}},  {128, {0, 127, 255}},  {170, {0, 2, 255}},
      {171, {0, 0, 255}},   {172, {0, 0, 254}},   {200, {0, 0, 244}},    {230, {0, 0, 166}},
      {254, {0, 0, 8}},     {255, {0, 0, 0}}};
  for (const auto& [e, colour] : expected) EXPECT_EQ(EntryOf(palette, e), colour) << "entry " << e;
}

TEST(FlamePalette, ThirdPositionBelowSecond) {
  FlamePalette palette{};
  BuildFlamePalette(palette, kBlue, kGreen, kRed, kWhite, 100, 50);
  EXPECT_EQ(EntryOf(palette, 49), (Bgr{130, 124, 0}));
  EXPECT_EQ(EntryOf(palette, 50), (Bgr{0, 0, 255}));
  EXPECT_EQ(EntryOf(palette, 100), (Bgr{3, 3, 255}));
  EXPECT_EQ(EntryOf(palette, 254), (Bgr{251, 251, 255}));
  EXPECT_EQ(EntryOf(palette, 255), (Bgr{0, 0, 0}));
}

TEST(FlamePalette, RedAndGreenIncrementsAreSinglePrecisionBlueDouble) {
  // 255 / 100 as a float is just below 2.55, as a double 20 x 2.55 rounds to 51: entry 20
  // is blue 51 but green and red 50. A compiler that fuses the roundings gives 51 for all.
  FlamePalette palette{};
  BuildFlamePalette(palette, kBlack, kWhite, kWhite, kWhite, 100, 200);
  EXPECT_EQ(EntryOf(palette, 20), (Bgr{51, 50, 50}));
}

TEST(FlamePalette, SecondPositionZero) {
  const FlameColor c1 = MakeFlameColor(7, 7, 7), c2 = MakeFlameColor(200, 100, 50),
                   c3 = MakeFlameColor(150, 255, 0), c4 = MakeFlameColor(100, 50, 50);
  FlamePalette palette{};
  BuildFlamePalette(palette, c1, c2, c3, c4, 0, 100);
  EXPECT_EQ(EntryOf(palette, 0), (Bgr{50, 100, 200}));
  EXPECT_FALSE(HoldsColour(palette, c1));
}

TEST(FlamePalette, EqualPositions) {
  const FlameColor c1 = kBlack, c2 = MakeFlameColor(240, 240, 240),
                   c3 = MakeFlameColor(200, 0, 0), c4 = MakeFlameColor(100, 0, 0);
  FlamePalette palette{};
  BuildFlamePalette(palette, c1, c2, c3, c4, 60, 60);
  EXPECT_EQ(EntryOf(palette, 60), (Bgr{0, 0, 200}));
  EXPECT_FALSE(HoldsColour(palette, c2));
  EXPECT_EQ(EntryOf(palette, 0), (Bgr{0, 0, 0}));
  for (int e = 1; e < 60; ++e) EXPECT_GT(EntryOf(palette, e).red, EntryOf(palette, e - 1).red);
  EXPECT_EQ(EntryOf(palette, 59), (Bgr{236, 236, 236}));
}

TEST(FlamePalette, ThirdPositionAt255) {
  const FlameColor c4 = MakeFlameColor(123, 45, 67);
  FlamePalette palette{};
  BuildFlamePalette(palette, kWhite, MakeFlameColor(128, 128, 128), MakeFlameColor(10, 200, 30),
                    c4, 100, 255);
  EXPECT_EQ(EntryOf(palette, 255), (Bgr{0, 0, 0}));
  EXPECT_FALSE(HoldsColour(palette, c4));
}

TEST(FlamePalette, ByteThreeIsNeverWritten) {
  FlamePalette zeroed{};
  BuildFlamePalette(zeroed, kWhite, kYellow, kRed, kBlue, 30, 220);
  FlamePalette marked;
  std::memset(&marked, 0x5A, sizeof marked);
  BuildFlamePalette(marked, kWhite, kYellow, kRed, kBlue, 30, 220);
  for (int e = 0; e < 256; ++e) {
    EXPECT_EQ(zeroed.entries[e][kEntryZero], 0) << "entry " << e;
    EXPECT_EQ(marked.entries[e][kEntryZero], 0x5A) << "entry " << e;
    EXPECT_EQ(EntryOf(marked, e), EntryOf(zeroed, e)) << "entry " << e;
  }
}

TEST(FlamePalette, MatchesThePlainModel) {
  struct Case {
    FlameColor c1, c2, c3, c4;
    int p2, p3;
  };
  const Case cases[] = {
      {kWhite, kYellow, kRed, kBlack, 85, 171},
      {kBlue, kGreen, kRed, kWhite, 100, 50},
      {kBlack, kWhite, kWhite, kWhite, 100, 200},
      {MakeFlameColor(13, 200, 77), MakeFlameColor(250, 3, 141), MakeFlameColor(9, 99, 199),
       MakeFlameColor(255, 128, 1), 37, 213},
      {MakeFlameColor(1, 2, 3), MakeFlameColor(254, 253, 252), MakeFlameColor(77, 0, 255),
       MakeFlameColor(0, 255, 77), 0, 0},
      {MakeFlameColor(90, 180, 45), MakeFlameColor(33, 66, 99), MakeFlameColor(200, 10, 100),
       MakeFlameColor(5, 250, 125), 255, 255},
      {MakeFlameColor(255, 0, 128), MakeFlameColor(0, 255, 128), MakeFlameColor(128, 128, 0),
       MakeFlameColor(17, 171, 71), 170, 3},
      {kWhite, kBlack, kWhite, kBlack, 1, 254},
  };
  for (const Case& c : cases) {
    FlamePalette actual{};
    uint8_t expected[256][4] = {};
    BuildFlamePalette(actual, c.c1, c.c2, c.c3, c.c4, c.p2, c.p3);
    reference::BuildPalette(expected, c.c1, c.c2, c.c3, c.c4, c.p2, c.p3);
    for (int e = 0; e < 256; ++e)
      for (int b = 0; b < 4; ++b)
        ASSERT_EQ(actual.entries[e][b], expected[e][b])
            << "positions " << c.p2 << "/" << c.p3 << " entry " << e << " byte " << b;
  }
}

TEST(FlameColorTable, CustomColourIsThePaletteReversed) {
  FlamePalette palette{};
  BuildFlamePalette(palette, MakeFlameColor(250, 240, 230), kYellow, kRed, kBlue, 85, 171);
  palette.entries[17][kEntryZero] = 0x33;  // all four bytes are copied
  FlameColorTable table;
  std::memset(&table, 0xEE, sizeof table);
  FillFlameColorTable(table, 1, palette);
  for (int k = 0; k < 256; ++k)
    for (int b = 0; b < 4; ++b) ASSERT_EQ(table.entries[k][b], palette.entries[255 - k][b]);
  EXPECT_EQ(table.entries[0][kEntryBlue] | table.entries[0][kEntryGreen] |
                table.entries[0][kEntryRed],
            0);
  EXPECT_EQ(table.entries[255][kEntryBlue], 230);
  EXPECT_EQ(table.entries[255][kEntryGreen], 240);
  EXPECT_EQ(table.entries[255][kEntryRed], 250);
  EXPECT_EQ(table.entries[255 - 17][kEntryZero], 0x33);
}

TEST(FlameColorTable, BuiltinGradientInOrder) {
  const FlamePalette unused{};
  FlameColorTable table;
  std::memset(&table, 0xEE, sizeof table);
  FillFlameColorTable(table, 0, unused);
  for (int k = 0; k < 256; ++k) {
    ASSERT_EQ(table.entries[k][kEntryBlue], BuiltinFirePalette[k][2]);
    ASSERT_EQ(table.entries[k][kEntryGreen], BuiltinFirePalette[k][1]);
    ASSERT_EQ(table.entries[k][kEntryRed], BuiltinFirePalette[k][0]);
    ASSERT_EQ(table.entries[k][kEntryZero], 0);
  }
  const uint8_t black[4] = {0, 0, 0, 0}, yellow[4] = {0, 252, 252, 0},
                white[4] = {252, 252, 252, 0};
  EXPECT_EQ(std::memcmp(table.entries[0], black, 4), 0);
  EXPECT_EQ(std::memcmp(table.entries[187], yellow, 4), 0);
  EXPECT_EQ(std::memcmp(table.entries[255], white, 4), 0);
}

}  // namespace
