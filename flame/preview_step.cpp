// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/preview_step.h"

#include "flame/flame_field.h"
#include "flame/flame_sine.h"

void StepPreviewField(FlameState& state, int columns, int rows, uint8_t* cells,
                      const PreviewSettings& settings) {
  FlameRandom& random = state.random;
  float& previewPhase = state.previewPhase;
  const int h = static_cast<int>(settings.height);
  const int s = static_cast<int>(settings.soot);
  int w = static_cast<int>(settings.width);
  // "Width" reaches 0; the band widths are taken modulo w, so a width of 0 draws as 1.
  if (w < 1) w = 1;
  const uint32_t jitter = static_cast<uint32_t>(random.Next());
  const int a = static_cast<int>(settings.amplitude);

  // Heat moves toward higher rows. Indices are flat, so the first and last cell of a row read
  // their neighbours across the row ends; i + 1 at the row's end is the cell this row's first
  // visit has just written.
  for (int y = rows - 2; y >= 2; --y) {
    for (int x = 0; x < columns; ++x) {
      const long i = static_cast<long>(y) * columns + x;
      cells[i + columns] =
          static_cast<uint8_t>((cells[i - columns] + cells[i + 1] + cells[i - 1] + cells[i]) >> 2);
      cells[i] = CoolFlameCell(cells[i], h, s, jitter);
    }
  }

  const float k = 0.01f;
  const int A = static_cast<int>(static_cast<double>(w) *
                                 (static_cast<double>(a) * static_cast<double>(k)));
  const double phase = static_cast<double>(previewPhase);
  const int S1 = static_cast<int>((FlameSine(phase) + 1.0) * A);
  const int S2 = static_cast<int>((FlameSine(1.1 * phase) + 1.0) * A);
  const float advanced = static_cast<float>(
      phase + static_cast<double>(settings.velocity) * static_cast<double>(0.002f));
  previewPhase = advanced > 10000.0f ? 0.0f : advanced;

  for (int r = 0; r < 3 && r < rows; ++r) {
    for (int x = 0; x < columns; ++x) cells[r * columns + x] = 0;
  }

  random.Seed(0);
  int x = 1;
  while (x < columns) {
    int RX = static_cast<int>(static_cast<uint32_t>(random.Next()) % static_cast<uint32_t>(w));
    if (RX == 0) RX = 2;
    for (int i = x + S1; i <= x + S2 + RX - 1; ++i) {
      if (i < 0 || i >= columns) continue;
      for (int r = 0; r < 3 && r < rows; ++r) cells[r * columns + i] = 255;
    }
    x += 2 * RX;
  }
}
