// SPDX-License-Identifier: GPL-2.0-or-later
// The size of the Options viewer's preview: the frame (group box 666 at 7, 7, 90 x 81 dialog
// units) laid out on the host's standard dialog font, less the frame's edges.
#pragma once

#include <cstdint>

struct PreviewSize {
  int32_t width;   // columns of the preview field
  int32_t height;  // rows shown; the field has four more
};

// The dialog manager's rounding: a * b / c rounded to nearest, halves away from zero.
int32_t DialogMulDiv(int32_t a, int32_t b, int32_t c);

// The preview for dialog base units baseX x baseY (pixels per 4 horizontal and 8 vertical
// dialog units).
PreviewSize PreviewSizeForBaseUnits(int32_t baseX, int32_t baseY);

// The preview on the standard dialog font: base units 6 x 13.
PreviewSize DefaultPreviewSize();
