// SPDX-License-Identifier: GPL-2.0-or-later
// How a video's frames are turned to stand as a player shows them: the quarter turns and flips
// of the display matrix its container carries (a phone's portrait clip is stored on its side).
// The matrix maps a stored pixel (p, q) to the shown pixel (a p + c q, b p + d q), moved into
// the picture; only matrices whose a, b, c and d are 0, 1 or -1 with one non-zero in each row
// and column (the eight turns and flips) are taken.
#pragma once

#include <cstdint>

struct Orientation {
  int a = 1, b = 0, c = 0, d = 1;  // the identity: shown as stored
  bool Upright() const { return a == 1 && b == 0 && c == 0 && d == 1; }
  // A quarter turn: the shown picture's width is the stored height.
  bool SwapsSides() const { return a == 0; }
};

// The orientation of the nine 32-bit entries of a display matrix (16.16 fixed point for a, b,
// c, d), row by row; false for a turn by another angle, a scale or a shear.
bool OrientationFromMatrix(const int64_t matrix[9], Orientation* orientation);

// The stored picture (width x height RGBA pixels) as it is shown, into `shown`, which holds
// as many pixels.
void OrientFrame(const uint8_t* stored, int32_t width, int32_t height,
                 const Orientation& orientation, uint8_t* shown);
