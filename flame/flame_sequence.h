// The per-sequence record: the three flame buffers and the frame size they were made for.
// It lives in the host's sequence-data handle.
#pragma once

#include <cstdint>

struct FlameSequenceData {
  uint8_t* mask;    // the source mask; null until the first render
  uint8_t* field;   // the heat field
  uint8_t* drops;   // the drop buffer
  int32_t width;    // frame width the buffers were made for; 0 until the first render
  int32_t height;   // frame height the buffers were made for; 0 until the first render
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(FlameSequenceData) == 20, "the host is told the record is 20 bytes");
#endif
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FlameSequenceData) == 20, "the record is 20 bytes on 32-bit targets");
#endif

// Bytes the host's sequence-data handle is asked for. On 64-bit builds the record is larger;
// there the handle is asked for with the record's real size.
constexpr uint32_t kFlameSequenceDataSize = sizeof(FlameSequenceData);

// Releases the buffers that are not null, sets them to null and the stored size to 0.
void ReleaseFlameBuffers(FlameSequenceData& sequence);
