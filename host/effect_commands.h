// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's commands below its exported entry, run on an instance that the caller owns:
// the compositing host's plug-in runs them on one instance for the whole process (EffectMain),
// and every other front end on one instance per fire, through the host of our own.
#pragma once

#include <cstdint>

#include "flame/flame_state.h"
#include "host/host_interface.h"

// Everything one instance of the effect keeps between commands.
struct EffectInstance {
  FlameState flame;             // the fire, shared by its renders and its viewer
  int32_t viewerRequested = 0;  // armed by the Options command, consumed by the next frame setup
};

// Dispatches one host command with the records the entry received.
PF_Err RunEffectCommand(EffectInstance& instance, PF_Cmd cmd, PF_InData* in_data,
                        PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);
