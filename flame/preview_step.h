// SPDX-License-Identifier: GPL-2.0-or-later
// The viewer's preview flame: heat always moves toward higher rows, fed by bright bands on
// rows 0-2 instead of a source mask.
#pragma once

#include <cstdint>

#include "flame/flame_state.h"

// The preview's geometry, as the viewer lays it out: a picture of shown width x shown height
// pixels shows field rows rows - 1 (top) down to 4 (bottom); rows 0 to 3, where the step seeds
// its heat, lie below it. Each field row is as long as a bitmap row of the picture (a multiple
// of 4 bytes), so the field's rows are the bitmap's rows as they are and up to 3 columns burn
// along unseen to the right.
constexpr int32_t kPreviewSeedRows = 4;

struct PreviewField {
  int32_t columns;
  int32_t rows;
};

// The field behind a picture of shownWidth x shownHeight pixels; 0 columns for a picture
// without width.
inline PreviewField PreviewFieldFor(int32_t shownWidth, int32_t shownHeight) {
  return {shownWidth > 0 ? (shownWidth + 3) & ~3 : 0, shownHeight + kPreviewSeedRows};
}

struct PreviewSettings {
  float height;
  float soot;
  float width;
  float amplitude;
  int32_t velocity;
};

// One preview step on a grid of columns x rows cells (rows >= 3), with the fire's generator
// and its preview phase (the sway of the seed bands).
void StepPreviewField(FlameState& state, int columns, int rows, uint8_t* cells,
                      const PreviewSettings& settings);
