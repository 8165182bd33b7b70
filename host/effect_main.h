// The effect's entry: every host command arrives here and is dispatched to its handler.
#pragma once

#include "host/host_interface.h"

// The library's module instance handle, stored by the load hook.
extern void* moduleInstance;
// Armed by the Options command, consumed by the next frame setup.
extern int32_t viewerRequested;

// The entry the host calls as `main`. Packaging exports it under that name. The sixth argument
// is not used.
extern "C" PF_Err PF_CALL EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                     PF_ParamDef* params[], PF_LayerDef* output, void* extra);

// Handlers, each with the records the entry received.
PF_Err AboutCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err GlobalSetupCommand(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]);
PF_Err ParamsSetupCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceSetupCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceResetupCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceSetdownCommand(PF_InData* in_data, PF_OutData* out_data);
PF_Err RenderCommand(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                     PF_LayerDef* output);

// The effect's version word and global out-flags, as global setup reports them.
constexpr uint32_t kEffectVersion = 0x110600;  // 2.2, release
constexpr uint32_t kEffectOutFlags = 0x468;
