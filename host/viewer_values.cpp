#include "host/viewer_values.h"

#include "host/param_positions.h"

namespace {

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }

FlameColor ColorOf(const PF_ParamDef* param) {
  const PF_Pixel& pixel = param->u.cd.value;
  return MakeFlameColor(pixel.red, pixel.green, pixel.blue);
}

}  // namespace

ViewerValues ViewerValuesFromParams(PF_ParamDef* const params[]) {
  ViewerValues values;
  values.height = LowByte(params[kParamHeight]->u.sd.value);
  values.soot = LowByte(params[kParamSoot]->u.sd.value);
  values.width = LowByte(params[kParamWidth]->u.sd.value);
  values.amplitude = LowByte(params[kParamAmplitude]->u.sd.value);
  values.color1 = ColorOf(params[kParamColor1]);
  values.color2 = ColorOf(params[kParamColor2]);
  values.color3 = ColorOf(params[kParamColor3]);
  values.color4 = ColorOf(params[kParamColor4]);
  values.velocity = LowByte(params[kParamVelocity]->u.sd.value);
  values.color2Position = LowByte(params[kParamColor2Position]->u.sd.value);
  values.color3Position = LowByte(params[kParamColor3Position]->u.sd.value);
  values.customColor = LowByte(params[kParamCustomColor]->u.bd.value);
  return values;
}
