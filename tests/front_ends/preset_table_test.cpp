// SPDX-License-Identifier: GPL-2.0-or-later
// The presets against their table: the renderer's --preset gives the frames of the preset's
// values set on the effect one by one, and the README's list and contact sheet are the
// table's. (The page, the OBS filter and the OpenFX plug-in compare theirs with the renderer in
// their own hosts: tests/web, tests/obs, tests/ofx.)
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cli/commands/effect_session.h"
#include "cli/commands/preset_sheet.h"
#include "cli/png/png_io.h"
#include "effect/effect_presets.h"
#include "pictures/default_source.h"
#include "tests/front_ends/file_text.h"

namespace {

// Frames 1 to 12 of the built-in source, one after another, each as `render` makes it.
std::vector<uint8_t> RenderedFrames(
    const std::function<bool(int32_t frame, const RgbaImage& source, uint8_t* output)>& render) {
  const RgbaImage source = DrawDefaultSource();
  std::vector<uint8_t> all;
  std::vector<uint8_t> frame(source.pixels.size());
  for (int32_t i = 1; i <= 12; ++i) {
    EXPECT_TRUE(render(i, source, frame.data()));
    all.insert(all.end(), frame.begin(), frame.end());
  }
  return all;
}

// The same from a fresh fire whose values are `values`.
std::vector<uint8_t> FireFrames(const EffectValues& values) {
  Fire fire;
  fire.Values() = values;
  return RenderedFrames([&](int32_t frame, const RgbaImage& source, uint8_t* output) {
    return fire.Render(frame,
                       PackedView(source.pixels.data(), source.width, source.height,
                                  PixelLayout::kRgba),
                       PackedView(output, source.width, source.height, PixelLayout::kRgba));
  });
}

TEST(PresetTable, RenderPresetIsItsValuesSetOneByOne) {
  const std::vector<uint8_t> defaults = FireFrames(DefaultEffectValues());
  for (const EffectPreset& preset : kEffectPresets) {
    SCOPED_TRACE(preset.name);
    const Invocation invocation = ParseCommandLine({"render", "--preset", preset.name});
    std::unique_ptr<EffectSession> effect = StartEffect("", invocation.params);
    const std::vector<uint8_t> byPreset =
        RenderedFrames([&](int32_t frame, const RgbaImage& source, uint8_t* output) {
          const PixelView into = PackedView(output, source.width, source.height, PixelLayout::kRgba);
          return effect->Render(frame, source.pixels.data(), into, false).empty();
        });
    EffectValues values = DefaultEffectValues();
    for (int i = 0; i < preset.count; ++i) {
      values[preset.values[i].position - 1] = preset.values[i].value;
    }
    const std::vector<uint8_t> byValues = FireFrames(values);
    EXPECT_TRUE(byPreset == byValues);
    EXPECT_FALSE(byPreset == defaults) << "the preset looks like the defaults";
  }
}

TEST(PresetTable, ReadmeListAndContactSheetAreTheTables) {
  const std::string readme = FileText(FYREL_README);
  std::string list = "| preset | what it looks like |\n|---|---|\n";
  for (const EffectPreset& preset : kEffectPresets) {
    list += std::string("| `") + preset.name + "` | " + preset.description + " |\n";
  }
  EXPECT_NE(readme.find(list), std::string::npos)
      << "README.md's list of presets is not the table's; it should read:\n" << list;
  EXPECT_NE(readme.find("](docs/presets.png)"), std::string::npos);

  const RgbaImage made = PresetSheet();
  const RgbaImage shown = ReadPngFile(FYREL_PRESET_SHEET);
  ASSERT_EQ(shown.width, made.width) << "remake it with docs/make-pictures.sh";
  ASSERT_EQ(shown.height, made.height) << "remake it with docs/make-pictures.sh";
  EXPECT_TRUE(shown.pixels == made.pixels)
      << FYREL_PRESET_SHEET << " is not the presets' sheet: remake it with docs/make-pictures.sh";
}

}  // namespace
