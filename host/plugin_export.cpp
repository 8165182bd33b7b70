// SPDX-License-Identifier: GPL-2.0-or-later
// The effect as a loadable plug-in binary: its entry exported under the name hosts look for.
#include "host/effect_main.h"

extern "C" __attribute__((visibility("default"))) PF_Err ExportedMain(
    PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
    PF_LayerDef* output, void* extra) __asm__("main");

extern "C" PF_Err ExportedMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                               PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
  return EffectMain(cmd, in_data, out_data, params, output, extra);
}
