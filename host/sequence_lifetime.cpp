// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/flame_sequence.h"
#include "host/command_handlers.h"

PF_Err SequenceSetupCommand(PF_InData* in_data, PF_OutData* out_data) {
  PF_UtilCallbacks* utils = in_data->utils;
  out_data->sequence_data = utils->host_new_handle(kFlameSequenceDataSize);
  if (!out_data->sequence_data) return PF_Err_OUT_OF_MEMORY;

  auto* sequence = static_cast<FlameSequenceData*>(utils->host_lock_handle(out_data->sequence_data));
  sequence->mask = nullptr;
  sequence->field = nullptr;
  sequence->drops = nullptr;
  sequence->width = 0;
  sequence->height = 0;
  utils->host_unlock_handle(out_data->sequence_data);

  out_data->flat_sdata_size = static_cast<int32_t>(kFlameSequenceDataSize);
  return PF_Err_NONE;
}

PF_Err SequenceResetupCommand(PF_InData* in_data, PF_OutData* out_data) {
  // A sequence that still has its record keeps it; one without gets a fresh, empty one.
  if (in_data->sequence_data) return PF_Err_NONE;
  return SequenceSetupCommand(in_data, out_data);
}

// Setdown and flatten alike: the buffers are released and the record disposed of, so that the
// host is handed no flat data and the sequence starts over from empty buffers.
PF_Err SequenceSetdownCommand(PF_InData* in_data, PF_OutData* out_data) {
  if (!in_data->sequence_data) return PF_Err_NONE;
  PF_UtilCallbacks* utils = in_data->utils;
  // The host passes the same handle in both records.
  PF_Handle handle = out_data->sequence_data ? out_data->sequence_data : in_data->sequence_data;
  auto* sequence = static_cast<FlameSequenceData*>(utils->host_lock_handle(handle));
  if (sequence) ReleaseFlameBuffers(*sequence);
  utils->host_unlock_handle(handle);
  utils->host_dispose_handle(in_data->sequence_data);
  out_data->sequence_data = nullptr;
  return PF_Err_NONE;
}
