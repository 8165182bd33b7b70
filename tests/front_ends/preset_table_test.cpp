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
#include "host/effect_main.h"
#include "effect/effect_presets.h"
#include "minihost/rgba_pixels.h"
#include "shared/default_source.h"
#include "tests/front_ends/file_text.h"

namespace {

// Frames 1 .. frames of the built-in source, one after another, from a fresh effect with the
// values `setUp` gives it.
std::vector<uint8_t> RenderedFrames(const std::vector<ParamSetting>& params,
                                    const std::function<void(EffectHost&)>& setUp, int frames) {
  ProcessEffectInstance() = EffectInstance{};
  RgbaImage source = DrawDefaultSource();
  std::unique_ptr<EffectHost> host = StartEffect(ChooseEffectEntry(""), params);
  setUp(*host);
  host->SetFrame(source.width, source.height);
  host->SetInput(HostPixelsInPlace(source.pixels.data(), source.pixels.size() / 4), source.width,
                 source.height);
  std::vector<uint8_t> all;
  std::vector<uint8_t> frame(source.pixels.size());
  for (int i = 1; i <= frames; ++i) {
    EXPECT_EQ(host->FrameSetup(), PF_Err_NONE);
    EXPECT_EQ(host->Render(i), PF_Err_NONE);
    host->OutputRgba(frame.data());
    all.insert(all.end(), frame.begin(), frame.end());
  }
  host->Stop();
  return all;
}

TEST(PresetTable, RenderPresetIsItsValuesSetOneByOne) {
  const std::vector<uint8_t> defaults = RenderedFrames({}, [](EffectHost&) {}, 12);
  for (const EffectPreset& preset : kEffectPresets) {
    SCOPED_TRACE(preset.name);
    const Invocation invocation = ParseCommandLine({"render", "--preset", preset.name});
    const std::vector<uint8_t> byPreset = RenderedFrames(invocation.params, [](EffectHost&) {}, 12);
    const std::vector<uint8_t> byValues = RenderedFrames(
        {},
        [&](EffectHost& host) {
          for (int i = 0; i < preset.count; ++i) {
            const PresetValue& value = preset.values[i];
            ASSERT_TRUE(host.SetValue(kEffectParams[value.position - 1].name, value.value));
          }
        },
        12);
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
