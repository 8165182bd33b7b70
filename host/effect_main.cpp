// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/effect_main.h"

void* moduleInstance = nullptr;

EffectInstance& ProcessEffectInstance() {
  static EffectInstance instance;
  return instance;
}

extern "C" PF_Err PF_CALL EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                     PF_ParamDef* params[], PF_LayerDef* output, void* /*extra*/) {
  return RunEffectCommand(ProcessEffectInstance(), cmd, in_data, out_data, params, output);
}
