// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures/preview_size.h"

#include <cstdlib>

namespace {

// Group box 666 of dialog template 777, in dialog units.
constexpr int32_t kBoxX = 7, kBoxY = 7, kBoxWidth = 90, kBoxHeight = 81;
// The standard dialog font's base units.
constexpr int32_t kStandardBaseX = 6, kStandardBaseY = 13;

}  // namespace

int32_t DialogMulDiv(int32_t a, int32_t b, int32_t c) {
  int64_t product = static_cast<int64_t>(a) * b;
  int64_t half = std::llabs(static_cast<int64_t>(c)) / 2;
  bool negative = (product < 0) != (c < 0);
  int64_t magnitude = (std::llabs(product) + half) / std::llabs(static_cast<int64_t>(c));
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

PreviewSize PreviewSizeForBaseUnits(int32_t baseX, int32_t baseY) {
  // The dialog manager places a control at its mapped position with its mapped size.
  int32_t left = DialogMulDiv(kBoxX, baseX, 4);
  int32_t top = DialogMulDiv(kBoxY, baseY, 8);
  int32_t right = left + DialogMulDiv(kBoxWidth, baseX, 4);
  int32_t bottom = top + DialogMulDiv(kBoxHeight, baseY, 8);
  // The viewer draws inside the box's edges and below its caption line.
  left += 1;
  top += 8;
  right -= 2;
  bottom -= 1;
  return PreviewSize{right - left, bottom - top};
}

PreviewSize DefaultPreviewSize() { return PreviewSizeForBaseUnits(kStandardBaseX, kStandardBaseY); }
