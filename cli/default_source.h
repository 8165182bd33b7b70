// The source layer used when no --source is given: the word FYREL in bold block letters,
// opaque black on a transparent frame. With "Invert Source" on (the effect's default) the
// dark letters are what burns; the transparent frame around them feeds nothing.
#pragma once

#include "cli/png_io.h"

constexpr int32_t kDefaultSourceWidth = 320;
constexpr int32_t kDefaultSourceHeight = 180;

RgbaImage DrawDefaultSource();
