// SPDX-License-Identifier: GPL-2.0-or-later
// How the effect reads a parameter's value: sliders and check boxes read as bytes keep their
// low 8 bits; a colour is its red, green and blue as a colour value, its alpha dropped.
#pragma once

#include <cstdint>

#include "flame/flame_palette.h"
#include "flame/render_flame.h"
#include "host/host_interface.h"

inline uint8_t LowByteOf(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }

inline FlameColor ColorOf(const PF_ParamDef* param) {
  const PF_Pixel& pixel = param->u.cd.value;
  return MakeFlameColor(pixel.red, pixel.green, pixel.blue);
}

// The parameters' values as a render reads them, by position; the frame's index and size are
// the caller's.
FlameRenderValues RenderValuesFromParams(PF_ParamDef* const params[]);
