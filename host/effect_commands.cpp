// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/effect_commands.h"

#include "host/command_handlers.h"

PF_Err RunEffectCommand(EffectInstance& instance, PF_Cmd cmd, PF_InData* in_data,
                        PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return AboutCommand(in_data, out_data);
    case PF_Cmd_GLOBAL_SETUP:
      return GlobalSetupCommand(instance.flame, in_data, out_data, nullptr);
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetupCommand(in_data, out_data);
    case PF_Cmd_SEQUENCE_SETUP:
      return SequenceSetupCommand(in_data, out_data);
    case PF_Cmd_SEQUENCE_RESETUP:
      return SequenceResetupCommand(in_data, out_data);
    case PF_Cmd_SEQUENCE_FLATTEN:
    case PF_Cmd_SEQUENCE_SETDOWN:
      return SequenceSetdownCommand(in_data, out_data);
    case PF_Cmd_DO_DIALOG:
      // Only arms the viewer: it opens at the next frame setup, with that command's values.
      instance.viewerRequested = 1;
      return PF_Err_NONE;
    case PF_Cmd_FRAME_SETUP: {
      PF_Err err = PF_Err_NONE;
      if (instance.viewerRequested) {
        err = GlobalSetupCommand(instance.flame, in_data, out_data, params);
      }
      instance.viewerRequested = 0;
      return err;
    }
    case PF_Cmd_RENDER:
      return RenderCommand(instance.flame, in_data, out_data, params, output);
    default:  // 2, global setdown (3) and every unknown selector
      return PF_Err_NONE;
  }
}
