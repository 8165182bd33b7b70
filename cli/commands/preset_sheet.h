// SPDX-License-Identifier: GPL-2.0-or-later
// The README's contact sheet of the presets: each preset's frame kPresetSheetFrame of
// `fyrel render --preset NAME` on the built-in source, laid over a dark ground, in the table's
// order, kPresetSheetColumns a row, with a gap between them.
#pragma once

#include <cstdint>

#include "pictures/rgba_image.h"

constexpr int32_t kPresetSheetFrame = 60;
constexpr int32_t kPresetSheetColumns = 3;
constexpr int32_t kPresetSheetGap = 4;
constexpr uint8_t kPresetSheetGround = 0x18;

// The sheet, opaque (alpha 255 everywhere). Throws a CliError when the effect fails.
RgbaImage PresetSheet();
