// SPDX-License-Identifier: GPL-2.0-or-later
// The source layer used when no --source is given: the word FYREL in bold block letters,
// opaque grey on a transparent frame; the transparent frame around them feeds nothing. The
// grey burns either way: inverted (the effect's default) it seeds heat 151, where the palette
// is at its brightest, so the letters glow white-hot instead of showing the dark cores of heat
// 255; not inverted it seeds a cooler 104.
#pragma once

#include "pictures/rgba_image.h"

constexpr int32_t kDefaultSourceWidth = 320;
constexpr int32_t kDefaultSourceHeight = 180;
constexpr uint8_t kDefaultSourceInk = 104;

RgbaImage DrawDefaultSource();
