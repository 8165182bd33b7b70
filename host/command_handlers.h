// SPDX-License-Identifier: GPL-2.0-or-later
// The handlers of the effect's commands, each with the records the entry received (and the
// fire where it uses one), and what global setup reports.
#pragma once

#include <cstdint>

#include "flame/flame_state.h"
#include "fyrel_version.h"
#include "host/host_interface.h"

// The library's module instance handle, stored by the load hook; the viewer's dialog template
// is opened from it.
extern void* moduleInstance;

PF_Err AboutCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err GlobalSetupCommand(FlameState& flame, PF_InData* in_data, PF_OutData* out_data,
                          PF_ParamDef* params[]);
PF_Err ParamsSetupCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceSetupCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceResetupCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceSetdownCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err RenderCommand(FlameState& flame, PF_InData* in_data, PF_OutData* out_data,
                     PF_ParamDef* params[], PF_LayerDef* output);

// The effect's version word and global out-flags, as global setup reports them.
constexpr uint32_t kEffectVersion = FYREL_VERSION_WORD;
constexpr uint32_t kEffectOutFlags = 0x468;
