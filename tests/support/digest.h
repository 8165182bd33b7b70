// SPDX-License-Identifier: GPL-2.0-or-later
// A 64-bit FNV-1a digest of bytes, printed as 16 hex digits: the golden runs lock whole
// buffers with it, so that one byte of drift anywhere fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

inline uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

inline std::string DigestHex(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}
