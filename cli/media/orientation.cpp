// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/orientation.h"

#include <cstring>
#include <initializer_list>

namespace {

// A 16.16 entry as -1, 0 or 1; 2 for anything else.
int UnitOf(int64_t entry) {
  if (entry == 0) return 0;
  if (entry == 65536) return 1;
  if (entry == -65536) return -1;
  return 2;
}

}  // namespace

bool OrientationFromMatrix(const int64_t matrix[9], Orientation* orientation) {
  Orientation found;
  found.a = UnitOf(matrix[0]);
  found.b = UnitOf(matrix[1]);
  found.c = UnitOf(matrix[3]);
  found.d = UnitOf(matrix[4]);
  for (int unit : {found.a, found.b, found.c, found.d}) {
    if (unit == 2) return false;
  }
  const bool straight = found.a != 0 && found.d != 0 && found.b == 0 && found.c == 0;
  const bool turned = found.a == 0 && found.d == 0 && found.b != 0 && found.c != 0;
  if (!straight && !turned) return false;
  *orientation = found;
  return true;
}

void OrientFrame(const uint8_t* stored, int32_t width, int32_t height,
                 const Orientation& orientation, uint8_t* shown) {
  const int32_t shownWidth = orientation.SwapsSides() ? height : width;
  const int32_t shownHeight = orientation.SwapsSides() ? width : height;
  // Where stored pixel (0, 0) lands, and how far one step along a stored row (p) and down a
  // stored column (q) moves it in the shown picture.
  const int64_t x0 = (orientation.a < 0 ? shownWidth - 1 : 0) +
                     (orientation.c < 0 ? shownWidth - 1 : 0);
  const int64_t y0 = (orientation.b < 0 ? shownHeight - 1 : 0) +
                     (orientation.d < 0 ? shownHeight - 1 : 0);
  const int64_t stepP = static_cast<int64_t>(orientation.b) * shownWidth + orientation.a;
  const int64_t stepQ = static_cast<int64_t>(orientation.d) * shownWidth + orientation.c;
  for (int32_t q = 0; q < height; ++q) {
    int64_t at = y0 * shownWidth + x0 + stepQ * q;
    const uint8_t* row = stored + static_cast<size_t>(q) * width * 4;
    for (int32_t p = 0; p < width; ++p, at += stepP) {
      std::memcpy(shown + at * 4, row + static_cast<size_t>(p) * 4, 4);
    }
  }
}
