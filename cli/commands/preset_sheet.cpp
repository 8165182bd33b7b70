// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands/preset_sheet.h"

#include <string>
#include <vector>

#include "cli/commands/effect_session.h"
#include "cli/platform/cli_error.h"
#include "effect/effect_presets.h"
#include "pictures/default_source.h"

namespace {

// Frame kPresetSheetFrame of the preset on the built-in source, as fyrel render writes it
// (whose fire is the only one its process runs).
RgbaImage PresetFrame(const EffectPreset& preset) {
  const Invocation invocation = ParseCommandLine({"render", "--preset", preset.name});
  const RgbaImage source = DrawDefaultSource();
  // As a fresh `fyrel render` starts it: a fire of its own.
  std::unique_ptr<EffectSession> effect = StartEffect("", invocation.params);
  RgbaImage image;
  image.width = source.width;
  image.height = source.height;
  image.pixels.resize(source.pixels.size());
  for (int32_t frame = 1; frame <= kPresetSheetFrame; ++frame) {
    const PixelView output =
        PackedView(image.pixels.data(), source.width, source.height, PixelLayout::kRgba);
    if (!effect->Render(frame, source.pixels.data(), output, false).empty()) {
      throw CliError(std::string("the effect failed to render preset ") + preset.name);
    }
  }
  return image;
}

// `tile` laid over the ground at (left, top) of `sheet`.
void PutOverGround(const RgbaImage& tile, int32_t left, int32_t top, RgbaImage* sheet) {
  for (int32_t y = 0; y < tile.height; ++y) {
    for (int32_t x = 0; x < tile.width; ++x) {
      const uint8_t* from = &tile.pixels[(static_cast<size_t>(y) * tile.width + x) * 4];
      uint8_t* to =
          &sheet->pixels[(static_cast<size_t>(top + y) * sheet->width + left + x) * 4];
      const int alpha = from[3];
      for (int c = 0; c < 3; ++c) {
        to[c] = static_cast<uint8_t>((from[c] * alpha + kPresetSheetGround * (255 - alpha) + 127) /
                                     255);
      }
    }
  }
}

}  // namespace

RgbaImage PresetSheet() {
  RgbaImage sheet;
  const int32_t rows = (kPresetCount + kPresetSheetColumns - 1) / kPresetSheetColumns;
  for (int i = 0; i < kPresetCount; ++i) {
    const RgbaImage tile = PresetFrame(kEffectPresets[i]);
    if (sheet.pixels.empty()) {
      sheet.width = kPresetSheetColumns * (tile.width + kPresetSheetGap) + kPresetSheetGap;
      sheet.height = rows * (tile.height + kPresetSheetGap) + kPresetSheetGap;
      sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height * 4,
                          kPresetSheetGround);
      for (size_t p = 3; p < sheet.pixels.size(); p += 4) sheet.pixels[p] = 255;
    }
    PutOverGround(tile, kPresetSheetGap + (i % kPresetSheetColumns) * (tile.width + kPresetSheetGap),
                  kPresetSheetGap + (i / kPresetSheetColumns) * (tile.height + kPresetSheetGap),
                  &sheet);
  }
  return sheet;
}
