// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/fire.h"
#include "flame/render_flame.h"
#include "host/command_handlers.h"
#include "effect/param_positions.h"
#include "host/param_values.h"

PF_Err RenderCommand(FlameState& flame, PF_InData* in_data, PF_OutData* out_data,
                     PF_ParamDef* params[], PF_LayerDef* output) {
  PF_UtilCallbacks* utils = in_data->utils;
  // A render without a sequence record has nowhere to keep its fire.
  if (!out_data->sequence_data || !params || !output) return PF_Err_OUT_OF_MEMORY;
  auto* sequence = static_cast<FlameSequenceData*>(utils->host_lock_handle(out_data->sequence_data));
  if (!sequence) return PF_Err_OUT_OF_MEMORY;

  FlameRenderValues values = RenderValuesFromParams(params);
  values.frameIndex = in_data->time_step ? in_data->current_time / in_data->time_step : 1;
  values.frameWidth = in_data->width;
  values.frameHeight = in_data->height;
  // The input layer where the host holds it (no layer: nothing feeds the fire); the output
  // coloured by the engine, its rows the field's.
  const PF_LayerDef& input = params[kParamInput]->u.ld;
  const ConstPixelView source = {reinterpret_cast<const uint8_t*>(input.data),
                                 (input.rowbytes / 4) * 4, input.width, input.height,
                                 PixelLayout::kHostArgb};
  const FlameOutputImage target = {reinterpret_cast<FlamePixel*>(output->data), output->width,
                                   output->height, output->rowbytes / 4};
  const FlameRenderResult result = RenderEffectFrame(flame, *sequence, values, source, nullptr, target);

  utils->host_unlock_handle(out_data->sequence_data);
  return result == FlameRenderResult::kOutOfMemory ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
}
