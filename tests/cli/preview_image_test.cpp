// SPDX-License-Identifier: GPL-2.0-or-later
// The preview without a window: its default size from the viewer's dialog layout, its values
// as the viewer's launcher copies them, and its picture as the viewer paints it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pictures/preview_image.h"
#include "pictures/preview_size.h"
#include "host/effect_main.h"
#include "host/viewer_values.h"
#include "minihost/effect_host.h"

TEST(PreviewSize, DialogUnitsRoundLikeTheDialogManager) {
  EXPECT_EQ(DialogMulDiv(7, 6, 4), 11);   // 10.5 rounds up
  EXPECT_EQ(DialogMulDiv(-7, 6, 4), -11);  // and away from zero below it
  EXPECT_EQ(DialogMulDiv(81, 13, 8), 132);  // 131.625
  EXPECT_EQ(DialogMulDiv(7, 13, 8), 11);    // 11.375
}

TEST(PreviewSize, TheDefaultIsTheGroupBoxOnTheStandardFont) {
  // Box at (11, 11), 135 x 132 pixels; inside its edges and caption line: 12..144, 19..142.
  PreviewSize size = DefaultPreviewSize();
  EXPECT_EQ(size.width, 132);
  EXPECT_EQ(size.height, 123);
  // A larger font scales the box; the edges stay as they are.
  PreviewSize large = PreviewSizeForBaseUnits(8, 16);
  EXPECT_EQ(large.width, 177);
  EXPECT_EQ(large.height, 153);
}

TEST(PreviewDrawing, TopRowIsTheLastFieldRowRowsZeroToThreeNeverShowNorColumnsPastTheWidth) {
  FlameColorTable table{};
  for (int k = 0; k < 256; ++k) {
    table.entries[k][kEntryBlue] = static_cast<uint8_t>(k);
    table.entries[k][kEntryGreen] = static_cast<uint8_t>(255 - k);
    table.entries[k][kEntryRed] = static_cast<uint8_t>(k / 2);
  }
  const int columns = 4, shownWidth = 3, rows = 7;  // three rows shown
  std::vector<uint8_t> field(columns * rows);
  for (int i = 0; i < columns * rows; ++i) field[i] = static_cast<uint8_t>(9 * i + 1);
  std::vector<uint8_t> rgb;
  DrawPreviewField(field.data(), columns, rows, shownWidth, table, &rgb);
  ASSERT_EQ(rgb.size(), 3u * 3u * 3u);
  for (int row = 0; row < 3; ++row) {
    for (int x = 0; x < shownWidth; ++x) {
      const uint8_t heat = field[(rows - 1 - row) * columns + x];
      const uint8_t* p = &rgb[(row * shownWidth + x) * 3];
      EXPECT_EQ(p[0], heat / 2);
      EXPECT_EQ(p[1], 255 - heat);
      EXPECT_EQ(p[2], heat);
    }
  }
}

TEST(ViewerValues, AreTheParametersAsTheLauncherCopiesThem) {
  // The plug-in's launcher reads the host's parameters; the renderer and the page read the
  // Fire's values: the same twelve either way.
  EffectHost host(&EffectMain);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  Fire fire;
  for (const ViewerValues& defaults :
       {ViewerValuesFromParams(host.ParamArray()), ViewerValuesOf(fire.Values())}) {
    EXPECT_EQ(defaults.height, 13);
    EXPECT_EQ(defaults.soot, 1);
    EXPECT_EQ(defaults.width, 41);
    EXPECT_EQ(defaults.amplitude, 12);
    EXPECT_EQ(defaults.velocity, 45);
    EXPECT_EQ(defaults.color1, 0xFFFFFFu);
    EXPECT_EQ(defaults.color2, 0x00FFFFu);  // yellow: red and green
    EXPECT_EQ(defaults.color3, 0x0000FFu);
    EXPECT_EQ(defaults.color4, 0u);
    EXPECT_EQ(defaults.color2Position, 85);
    EXPECT_EQ(defaults.color3Position, 171);
    EXPECT_EQ(defaults.customColor, 0);
  }

  // Low 8 bits of the sliders; a colour's alpha is dropped.
  ASSERT_TRUE(host.SetValue("Height", 0x1FE));
  ASSERT_TRUE(host.SetColor("Color 4", 0x10, 0x20, 0x30));
  ASSERT_TRUE(host.SetValue("Custom Color", 1));
  fire.SetValue(kParamHeight, 0x1FE);
  fire.SetValue(kParamColor4, 0x102030);
  fire.SetValue(kParamCustomColor, 1);
  for (const ViewerValues& set :
       {ViewerValuesFromParams(host.ParamArray()), ViewerValuesOf(fire.Values())}) {
    EXPECT_EQ(set.height, 0xFE);
    EXPECT_EQ(set.color4, 0x302010u);
    EXPECT_EQ(set.customColor, 1);
  }
}

TEST(PreviewFlame, StartsBlackAndBurnsFromTheBottom) {
  EffectHost host(&EffectMain);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  PreviewFlame flame(40, 30, ViewerValuesFromParams(host.ParamArray()));
  ASSERT_EQ(flame.ShownRows(), 30);
  ASSERT_EQ(flame.Field().size(), 40u * 34u);  // 40 columns are bitmap rows as they are
  std::vector<uint8_t> rgb;
  flame.Step();
  flame.Draw(&rgb);
  ASSERT_EQ(rgb.size(), 40u * 30u * 3u);
  for (uint8_t sample : rgb) ASSERT_EQ(sample, 0);  // the first frame of a cold field

  for (int i = 0; i < 40; ++i) flame.Step();
  flame.Draw(&rgb);
  auto rowSum = [&](int row) {
    int sum = 0;
    for (int i = 0; i < 40 * 3; ++i) sum += rgb[row * 40 * 3 + i];
    return sum;
  };
  EXPECT_GT(rowSum(29), 0);            // the bottom row shows field row 4, just above the seeds
  EXPECT_GT(rowSum(29), rowSum(0));    // and is hotter than the top
}

TEST(PreviewFlame, CustomColourShowsColourOneAtFullHeat) {
  EffectHost host(&EffectMain);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  ASSERT_TRUE(host.SetColor("Color 1", 0x12, 0x34, 0x56));
  PreviewFlame builtin(8, 8, ViewerValuesFromParams(host.ParamArray()));
  ASSERT_TRUE(host.SetValue("Custom Color", 1));
  PreviewFlame custom(8, 8, ViewerValuesFromParams(host.ParamArray()));
  EXPECT_EQ(custom.ColorTable().entries[255][kEntryRed], 0x12);
  EXPECT_EQ(custom.ColorTable().entries[255][kEntryGreen], 0x34);
  EXPECT_EQ(custom.ColorTable().entries[255][kEntryBlue], 0x56);
  EXPECT_NE(builtin.ColorTable().entries[255][kEntryBlue], 0x56);
}

TEST(PreviewFlame, AnyWidthBurnsOnTheViewersFieldOfWholeBitmapRows) {
  // The viewer lays its field out in rows of a multiple of 4 cells, whatever the preview's
  // width: a picture 1 to 3 pixels narrower shows the same fire, cut at its width.
  EffectHost host(&EffectMain);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const ViewerValues values = ViewerValuesFromParams(host.ParamArray());
  for (int shown : {129, 130, 131}) {
    PreviewFlame cut(shown, 20, values);
    EXPECT_EQ(cut.Geometry().columns, 132) << shown;
    PreviewFlame reference(132, 20, values);
    std::vector<uint8_t> rgb, referenceRgb;
    for (int step = 0; step < 20; ++step) {
      cut.Step();
      reference.Step();
    }
    cut.Draw(&rgb);
    reference.Draw(&referenceRgb);
    for (int row = 0; row < 20; ++row) {
      ASSERT_TRUE(std::equal(rgb.begin() + row * shown * 3, rgb.begin() + (row + 1) * shown * 3,
                             referenceRgb.begin() + row * 132 * 3))
          << shown << " wide, row " << row;
    }
  }
}
