// The Options viewer's preview without a window: its own preview field stepped once per frame
// and drawn as the viewer paints it, through the colour table of "Custom Color".
#pragma once

#include <cstdint>
#include <vector>

#include "flame/flame_palette.h"
#include "flame/preview_step.h"

class EffectHost;

// The twelve values the viewer is handed, as its launcher copies them from the parameters.
struct PreviewValues {
  uint8_t height = 0, soot = 0, width = 0, amplitude = 0;
  FlameColor color1 = 0, color2 = 0, color3 = 0, color4 = 0;
  uint8_t velocity = 0, color2Position = 0, color3Position = 0, customColor = 0;
};

// The values from the host's parameter array, by position: the sliders' low 8 bits, the
// colours' red, green and blue.
PreviewValues PreviewValuesFromParams(const EffectHost& host);

// Draws a field of `columns` x `fieldRows` heat cells as the viewer shows it: the top image
// row is field row fieldRows - 1, the bottom one field row 4; heat k shows entry k of `table`.
// Opaque RGB, columns x (fieldRows - 4) pixels.
void DrawPreviewField(const uint8_t* field, int32_t columns, int32_t fieldRows,
                      const FlameColorTable& table, std::vector<uint8_t>* rgb);

class PreviewFlame {
 public:
  // `columns` x `shownRows` pixels are drawn; the field has four rows more.
  PreviewFlame(int32_t columns, int32_t shownRows, const PreviewValues& values);

  // One preview step, as at every paint of the viewer.
  void Step();
  // The picture, by DrawPreviewField.
  void Draw(std::vector<uint8_t>* rgb) const;

  int32_t Columns() const { return columns_; }
  int32_t ShownRows() const { return fieldRows_ - 4; }
  const std::vector<uint8_t>& Field() const { return field_; }
  const FlameColorTable& ColorTable() const { return table_; }

 private:
  int32_t columns_;
  int32_t fieldRows_;
  PreviewSettings settings_;
  FlamePalette palette_;
  FlameColorTable table_;
  std::vector<uint8_t> field_;
};
