// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/viewer_values.h"

#include "effect/param_positions.h"
#include "host/param_values.h"

ViewerValues ViewerValuesFromParams(PF_ParamDef* const params[]) {
  ViewerValues values;
  values.height = LowByteOf(params[kParamHeight]->u.sd.value);
  values.soot = LowByteOf(params[kParamSoot]->u.sd.value);
  values.width = LowByteOf(params[kParamWidth]->u.sd.value);
  values.amplitude = LowByteOf(params[kParamAmplitude]->u.sd.value);
  values.color1 = ColorOf(params[kParamColor1]);
  values.color2 = ColorOf(params[kParamColor2]);
  values.color3 = ColorOf(params[kParamColor3]);
  values.color4 = ColorOf(params[kParamColor4]);
  values.velocity = LowByteOf(params[kParamVelocity]->u.sd.value);
  values.color2Position = LowByteOf(params[kParamColor2Position]->u.sd.value);
  values.color3Position = LowByteOf(params[kParamColor3Position]->u.sd.value);
  values.customColor = LowByteOf(params[kParamCustomColor]->u.bd.value);
  return values;
}
