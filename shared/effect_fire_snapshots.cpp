// SPDX-License-Identifier: GPL-2.0-or-later
// Saved states of the fire that an instance of the effect and its sequence hold
// (shared/fire_snapshots.h).
#include "host/effect_fire.h"
#include "shared/fire_snapshots.h"

void SaveEffectFire(FireSnapshots& snapshots, int32_t frame, const EffectInstance& instance,
                    PF_InData* in_data) {
  const EffectFireBuffers buffers = FireBuffersOf(in_data);
  if (!buffers.field || buffers.cells != snapshots.BufferBytes()) return;
  const uint8_t* const parts[3] = {buffers.mask, buffers.field, buffers.drops};
  snapshots.Save(frame, instance.flame, parts);
}

bool RestoreEffectFire(FireSnapshots& snapshots, const FireSnapshot& snapshot,
                       EffectInstance& instance, PF_InData* in_data) {
  const EffectFireBuffers buffers = FireBuffersOf(in_data);
  uint8_t* const parts[3] = {buffers.mask, buffers.field, buffers.drops};
  return buffers.field && buffers.cells == snapshots.BufferBytes() &&
         snapshots.Load(snapshot, &instance.flame, parts);
}
