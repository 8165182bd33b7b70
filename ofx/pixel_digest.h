// SPDX-License-Identifier: GPL-2.0-or-later
// The digest by which the fire tells source frames apart (xxHash's 64-bit XXH3). Pixels may be
// added a row at a time, while the row is still in the cache: the digest of a frame is the
// same however its pixels were split.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_interface.h"

class PixelDigest {
 public:
  PixelDigest();
  ~PixelDigest();
  PixelDigest(const PixelDigest&) = delete;
  PixelDigest& operator=(const PixelDigest&) = delete;

  void Add(const PF_Pixel* pixels, size_t count);
  uint64_t Value() const;

  // The digest of `count` pixels at once.
  static uint64_t Of(const PF_Pixel* pixels, size_t count);

 private:
  struct State;
  State* state_;
};
