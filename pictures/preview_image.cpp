// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures/preview_image.h"

ViewerValues ViewerValuesOf(const EffectValues& values) {
  return ViewerValuesOf(RenderValuesOf(values, 1, 0, 0));
}

PreviewFlame::PreviewFlame(int32_t shownWidth, int32_t shownRows, const ViewerValues& values)
    : shownWidth_(shownWidth), field_(PreviewFieldFor(shownWidth, shownRows)) {
  settings_.height = values.height;
  settings_.soot = values.soot;
  settings_.width = values.width;
  settings_.amplitude = values.amplitude;
  settings_.velocity = values.velocity;
  BuildFlamePalette(palette_, values.color1, values.color2, values.color3, values.color4,
                    values.color2Position, values.color3Position);
  FillFlameColorTable(table_, values.customColor, palette_);
  cells_.assign(static_cast<size_t>(field_.columns) * field_.rows, 0);  // a cold field
}

void PreviewFlame::Step() {
  StepPreviewField(flame_, field_.columns, field_.rows, cells_.data(), settings_);
}

void DrawPreviewField(const uint8_t* field, int32_t columns, int32_t fieldRows,
                      int32_t shownWidth, const FlameColorTable& table, std::vector<uint8_t>* rgb) {
  const int32_t shown = fieldRows - kPreviewSeedRows;
  rgb->resize(static_cast<size_t>(shownWidth) * shown * 3);
  uint8_t* out = rgb->data();
  for (int32_t row = 0; row < shown; ++row) {
    const uint8_t* cells = &field[static_cast<size_t>(fieldRows - 1 - row) * columns];
    for (int32_t x = 0; x < shownWidth; ++x) {
      const uint8_t* entry = table.entries[cells[x]];
      *out++ = entry[kEntryRed];
      *out++ = entry[kEntryGreen];
      *out++ = entry[kEntryBlue];
    }
  }
}

void PreviewFlame::Draw(std::vector<uint8_t>* rgb) const {
  DrawPreviewField(cells_.data(), field_.columns, field_.rows, shownWidth_, table_, rgb);
}
