// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's entry: every host command arrives here and is run on the process's one
// instance of the effect, whose fire every sequence and the viewer share, as the compositing
// host expects of its plug-in.
#pragma once

#include "host/command_handlers.h"
#include "host/effect_commands.h"
#include "host/host_interface.h"

// The instance the exported entry runs; in its state at library load until the first command.
EffectInstance& ProcessEffectInstance();

// The entry the host calls as `main`. Packaging exports it under that name. The sixth argument
// is not used.
extern "C" PF_Err PF_CALL EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                     PF_ParamDef* params[], PF_LayerDef* output, void* extra);
