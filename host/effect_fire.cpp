// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/effect_fire.h"

#include <cstring>

#include "flame/flame_sequence.h"
#include "flame/page_memory.h"

namespace {

// The record behind the sequence's handle, locked for as long as the holder lives.
class LockedRecord {
 public:
  explicit LockedRecord(PF_InData* in_data)
      : utils_(in_data->utils), handle_(in_data->sequence_data) {
    if (handle_) record_ = static_cast<FlameSequenceData*>(utils_->host_lock_handle(handle_));
  }
  ~LockedRecord() {
    if (handle_) utils_->host_unlock_handle(handle_);
  }
  LockedRecord(const LockedRecord&) = delete;
  LockedRecord& operator=(const LockedRecord&) = delete;
  FlameSequenceData* get() const { return record_; }

 private:
  PF_UtilCallbacks* utils_;
  PF_Handle handle_;
  FlameSequenceData* record_ = nullptr;
};

EffectFireBuffers BuffersOf(const FlameSequenceData& record) {
  EffectFireBuffers buffers;
  if (!record.field) return buffers;
  buffers.mask = record.mask;
  buffers.field = record.field;
  buffers.drops = record.drops;
  buffers.cells = static_cast<size_t>(record.width) * static_cast<size_t>(record.height);
  return buffers;
}

}  // namespace

EffectFireBuffers FireBuffersOf(PF_InData* in_data) {
  LockedRecord record(in_data);
  return record.get() ? BuffersOf(*record.get()) : EffectFireBuffers{};
}

bool SizeEffectFire(EffectInstance& instance, PF_InData* in_data, int32_t width, int32_t height) {
  LockedRecord locked(in_data);
  FlameSequenceData* record = locked.get();
  if (!record || width < 1 || height < 1) return false;
  // Laid out as a render that finds no buffers makes them: one row of the output's width each.
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  FlameSequenceData made{};
  made.mask = static_cast<uint8_t*>(AllocatePages(size));
  made.field = static_cast<uint8_t*>(AllocatePages(size));
  made.drops = static_cast<uint8_t*>(AllocatePages(size));
  if (!made.mask || !made.field || !made.drops) {
    ReleaseFlameBuffers(made);
    return false;
  }
  made.width = width;
  made.height = height;
  ReleaseFlameBuffers(*record);
  *record = made;
  instance.flame = FlameState{};
  return true;
}

void RestartEffectFire(EffectInstance& instance, PF_InData* in_data) {
  instance.flame = FlameState{};
  const EffectFireBuffers buffers = FireBuffersOf(in_data);
  for (uint8_t* buffer : {buffers.mask, buffers.field, buffers.drops}) {
    if (buffer) std::memset(buffer, 0, buffers.cells);
  }
}
