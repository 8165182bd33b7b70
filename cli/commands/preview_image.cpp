#include "cli/commands/preview_image.h"

#include "host/param_positions.h"
#include "minihost/effect_host.h"

namespace {

uint8_t LowByte(const EffectHost& host, int position) {
  return static_cast<uint8_t>(host.Param(position).u.sd.value & 0xFF);
}

FlameColor ColorOf(const EffectHost& host, int position) {
  const PF_Pixel& pixel = host.Param(position).u.cd.value;
  return MakeFlameColor(pixel.red, pixel.green, pixel.blue);
}

}  // namespace

PreviewValues PreviewValuesFromParams(const EffectHost& host) {
  PreviewValues values;
  values.height = LowByte(host, kParamHeight);
  values.soot = LowByte(host, kParamSoot);
  values.width = LowByte(host, kParamWidth);
  values.amplitude = LowByte(host, kParamAmplitude);
  values.color1 = ColorOf(host, kParamColor1);
  values.color2 = ColorOf(host, kParamColor2);
  values.color3 = ColorOf(host, kParamColor3);
  values.color4 = ColorOf(host, kParamColor4);
  values.velocity = LowByte(host, kParamVelocity);
  values.color2Position = LowByte(host, kParamColor2Position);
  values.color3Position = LowByte(host, kParamColor3Position);
  values.customColor = static_cast<uint8_t>(host.Param(kParamCustomColor).u.bd.value & 0xFF);
  return values;
}

PreviewFlame::PreviewFlame(int32_t columns, int32_t shownRows, const PreviewValues& values)
    : columns_(columns), fieldRows_(shownRows + 4) {
  settings_.height = values.height;
  settings_.soot = values.soot;
  settings_.width = values.width;
  settings_.amplitude = values.amplitude;
  settings_.velocity = values.velocity;
  BuildFlamePalette(palette_, values.color1, values.color2, values.color3, values.color4,
                    values.color2Position, values.color3Position);
  FillFlameColorTable(table_, values.customColor, palette_);
  field_.assign(static_cast<size_t>(columns_) * fieldRows_, 0);  // a cold field
}

void PreviewFlame::Step() { StepPreviewField(columns_, fieldRows_, field_.data(), settings_); }

void DrawPreviewField(const uint8_t* field, int32_t columns, int32_t fieldRows,
                      const FlameColorTable& table, std::vector<uint8_t>* rgb) {
  const int32_t shown = fieldRows - 4;
  rgb->resize(static_cast<size_t>(columns) * shown * 3);
  uint8_t* out = rgb->data();
  for (int32_t row = 0; row < shown; ++row) {
    const uint8_t* cells = &field[static_cast<size_t>(fieldRows - 1 - row) * columns];
    for (int32_t x = 0; x < columns; ++x) {
      const uint8_t* entry = table.entries[cells[x]];
      *out++ = entry[kEntryRed];
      *out++ = entry[kEntryGreen];
      *out++ = entry[kEntryBlue];
    }
  }
}

void PreviewFlame::Draw(std::vector<uint8_t>* rgb) const {
  DrawPreviewField(field_.data(), columns_, fieldRows_, table_, rgb);
}
