// The viewer's preview flame: heat always moves toward higher rows, fed by bright bands on
// rows 0-2 instead of a source mask.
#pragma once

#include <cstdint>

// Process-wide sway phase of the preview's seed bands; 0 when the module is loaded.
extern float previewPhase;

struct PreviewSettings {
  float height;
  float soot;
  float width;
  float amplitude;
  int32_t velocity;
};

// One preview step on a grid of columns x rows cells (rows >= 3).
void StepPreviewField(int columns, int rows, uint8_t* cells, const PreviewSettings& settings);
