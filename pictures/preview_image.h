// SPDX-License-Identifier: GPL-2.0-or-later
// The Options viewer's preview without a window: a preview field of its own, laid out as the
// viewer lays it out, stepped once per frame and drawn as the viewer paints it, through the
// colour table of "Custom Color".
#pragma once

#include <cstdint>
#include <vector>

#include "effect/fire.h"
#include "flame/flame_palette.h"
#include "flame/flame_state.h"
#include "flame/preview_step.h"
#include "viewer/viewer_settings.h"

// Draws the picture of `shownWidth` pixels across from a field of `columns` x `fieldRows`
// heat cells as the viewer shows it: the top image row is field row fieldRows - 1, the bottom
// one field row 4, each the first shownWidth cells of its row; heat k shows entry k of `table`.
// Opaque RGB, shownWidth x (fieldRows - 4) pixels.
void DrawPreviewField(const uint8_t* field, int32_t columns, int32_t fieldRows,
                      int32_t shownWidth, const FlameColorTable& table, std::vector<uint8_t>* rgb);

// The twelve values the viewer is shown, from the effect's values as its launcher copies them:
// the sliders' low 8 bits, the colours' red, green and blue.
ViewerValues ViewerValuesOf(const EffectValues& values);

class PreviewFlame {
 public:
  // A picture of `shownWidth` x `shownRows` pixels, from the twelve values the viewer is shown.
  PreviewFlame(int32_t shownWidth, int32_t shownRows, const ViewerValues& values);

  // One preview step, as at every paint of the viewer.
  void Step();
  // The picture, by DrawPreviewField.
  void Draw(std::vector<uint8_t>* rgb) const;

  int32_t ShownWidth() const { return shownWidth_; }
  int32_t ShownRows() const { return field_.rows - kPreviewSeedRows; }
  PreviewField Geometry() const { return field_; }
  const std::vector<uint8_t>& Field() const { return cells_; }
  const FlameColorTable& ColorTable() const { return table_; }

 private:
  int32_t shownWidth_;
  PreviewField field_;
  PreviewSettings settings_;
  FlamePalette palette_;
  FlameColorTable table_;
  FlameState flame_;  // a freshly loaded effect's: the preview's generator and phase
  std::vector<uint8_t> cells_;
};
