// SPDX-License-Identifier: GPL-2.0-or-later
// PNG files put together chunk by chunk, for the tests that need files no encoder writes.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

inline void Append32(std::vector<uint8_t>* bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes->push_back(static_cast<uint8_t>(value >> shift));
}

// One chunk; `crcFlip` spoils its CRC.
inline void AppendChunk(std::vector<uint8_t>* png, const char* type,
                        const std::vector<uint8_t>& data, uint32_t crcFlip = 0) {
  Append32(png, static_cast<uint32_t>(data.size()));
  const size_t typeAt = png->size();
  png->insert(png->end(), type, type + 4);
  png->insert(png->end(), data.begin(), data.end());
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, png->data() + typeAt, static_cast<uInt>(data.size() + 4)));
  Append32(png, crc ^ crcFlip);
}
