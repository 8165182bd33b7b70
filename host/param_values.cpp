// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/param_values.h"

#include "effect/param_positions.h"

FlameRenderValues RenderValuesFromParams(PF_ParamDef* const params[]) {
  FlameRenderValues v{};
  v.velocity = LowByteOf(params[kParamVelocity]->u.sd.value);
  v.height = LowByteOf(params[kParamHeight]->u.sd.value);
  v.soot = LowByteOf(params[kParamSoot]->u.sd.value);
  v.width = LowByteOf(params[kParamWidth]->u.sd.value);
  v.amplitude = LowByteOf(params[kParamAmplitude]->u.sd.value);
  v.alpha = params[kParamAlpha]->u.sd.value;
  v.color1 = ColorOf(params[kParamColor1]);
  v.color2 = ColorOf(params[kParamColor2]);
  v.color3 = ColorOf(params[kParamColor3]);
  v.color4 = ColorOf(params[kParamColor4]);
  v.color2Position = LowByteOf(params[kParamColor2Position]->u.sd.value);
  v.color3Position = LowByteOf(params[kParamColor3Position]->u.sd.value);
  v.customColor = LowByteOf(params[kParamCustomColor]->u.bd.value);
  v.birth = params[kParamBirth]->u.bd.value;
  v.drop = params[kParamDrop]->u.bd.value;
  v.invertSource = params[kParamInvertSource]->u.bd.value;
  v.fireDirection = params[kParamFireDirection]->u.ad.value;
  return v;
}
