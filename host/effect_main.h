// The effect's entry: every host command arrives here and is run on the process's one
// instance of the effect, whose fire every sequence and the viewer share, as the compositing
// host expects of its plug-in.
#pragma once

#include "flame/flame_state.h"
#include "host/effect_commands.h"
#include "host/host_interface.h"

// The library's module instance handle, stored by the load hook.
extern void* moduleInstance;

// The instance the exported entry runs; in its state at library load until the first command.
EffectInstance& ProcessEffectInstance();

// The entry the host calls as `main`. Packaging exports it under that name. The sixth argument
// is not used.
extern "C" PF_Err PF_CALL EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                     PF_ParamDef* params[], PF_LayerDef* output, void* extra);

// Handlers, each with the records the entry received (and the fire where they use it).
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
constexpr uint32_t kEffectVersion = 0x110600;  // 2.2, release
constexpr uint32_t kEffectOutFlags = 0x468;
