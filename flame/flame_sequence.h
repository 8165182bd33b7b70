// SPDX-License-Identifier: GPL-2.0-or-later
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

// The host is told the record's size: 20 bytes on 32-bit targets (three 4-byte references, two
// 32-bit integers), 32 bytes on 64-bit ones (three 8-byte references, two 32-bit integers).
static_assert(sizeof(FlameSequenceData) == (sizeof(void*) == 4 ? 20 : 32),
              "the record is three references and two 32-bit integers, unpadded");

// Bytes the host's sequence-data handle is asked for, and the flat size it is told.
constexpr uint32_t kFlameSequenceDataSize = sizeof(FlameSequenceData);

// Releases the buffers that are not null, sets them to null and the stored size to 0.
void ReleaseFlameBuffers(FlameSequenceData& sequence);
