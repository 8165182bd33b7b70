#include "flame/render_flame.h"
#include "host/command_handlers.h"
#include "host/param_positions.h"

namespace {

int LowByte(const PF_ParamDef* param) { return param->u.sd.value & 0xFF; }

FlameColor ColorOf(const PF_ParamDef* param) {
  const PF_Pixel& pixel = param->u.cd.value;
  return MakeFlameColor(pixel.red, pixel.green, pixel.blue);
}

FlameRenderValues ReadValues(const PF_InData* in_data, PF_ParamDef* params[]) {
  FlameRenderValues v{};
  v.velocity = LowByte(params[kParamVelocity]);
  v.height = LowByte(params[kParamHeight]);
  v.soot = LowByte(params[kParamSoot]);
  v.width = LowByte(params[kParamWidth]);
  v.amplitude = LowByte(params[kParamAmplitude]);
  v.alpha = params[kParamAlpha]->u.sd.value;
  v.color1 = ColorOf(params[kParamColor1]);
  v.color2 = ColorOf(params[kParamColor2]);
  v.color3 = ColorOf(params[kParamColor3]);
  v.color4 = ColorOf(params[kParamColor4]);
  v.color2Position = LowByte(params[kParamColor2Position]);
  v.color3Position = LowByte(params[kParamColor3Position]);
  v.customColor = params[kParamCustomColor]->u.bd.value & 0xFF;
  v.birth = params[kParamBirth]->u.bd.value;
  v.drop = params[kParamDrop]->u.bd.value;
  v.invertSource = params[kParamInvertSource]->u.bd.value;
  v.fireDirection = params[kParamFireDirection]->u.ad.value;
  v.frameIndex = in_data->time_step ? in_data->current_time / in_data->time_step : 1;
  v.frameWidth = in_data->width;
  v.frameHeight = in_data->height;
  return v;
}

}  // namespace

PF_Err RenderCommand(FlameState& flame, PF_InData* in_data, PF_OutData* out_data,
                     PF_ParamDef* params[], PF_LayerDef* output) {
  PF_UtilCallbacks* utils = in_data->utils;
  // A render without a sequence record has nowhere to keep its fire.
  if (!out_data->sequence_data || !params || !output) return PF_Err_OUT_OF_MEMORY;
  auto* sequence = static_cast<FlameSequenceData*>(utils->host_lock_handle(out_data->sequence_data));
  if (!sequence) return PF_Err_OUT_OF_MEMORY;

  const FlameRenderValues values = ReadValues(in_data, params);
  const PF_LayerDef& input = params[kParamInput]->u.ld;
  FlameSourceImage source = {reinterpret_cast<const FlamePixel*>(input.data), input.width,
                             input.height, input.rowbytes / 4};
  if (!source.pixels) source.width = source.height = 0;  // no source layer: nothing feeds the fire
  const FlameOutputImage target = {reinterpret_cast<FlamePixel*>(output->data), output->width,
                                   output->height, output->rowbytes / 4};
  const FlameRenderResult result = RenderFlame(flame, *sequence, values, source, target);

  utils->host_unlock_handle(out_data->sequence_data);
  return result == FlameRenderResult::kOutOfMemory ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
}
