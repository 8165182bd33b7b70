// SPDX-License-Identifier: GPL-2.0-or-later
// The digest by which the fire tells source frames apart (xxHash's 64-bit XXH3): every row of
// the frame as the render reads it (SourceRowAsRead: the host's own bytes where they are read
// in place), top row first, each row in pieces digested apart, and the frame's digest that of
// the pieces' digests in order. A render shows it the rows it reads, once read, while they are
// in the cache; the rows it did not read are read when the digest is taken, so that a frame's
// digest is the same whatever the render read of it. While it digests a row the render read
// where it lies, it asks for the next one into the cache: digesting is all arithmetic, and the
// render would otherwise wait for that row's memory after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "effect/fire_pixels.h"
#include "effect/pixel_view.h"

class SourceDigest : public SourceRowWatcher {
 public:
  SourceDigest();
  SourceDigest(const SourceDigest&) = delete;
  SourceDigest& operator=(const SourceDigest&) = delete;

  // Starts the digest of a width x height frame read from `source` (empty: transparent); what
  // it needs is had here (std::bad_alloc without it), none while the rows are read.
  void Begin(const ConstPixelView& source, int32_t width, int32_t height);
  void Seen(int32_t y, const FlamePixel* row) override;
  // The digest, once the rows not yet seen are read.
  uint64_t Finish();

 private:
  void AddPiece(const uint8_t* bytes, size_t size);
  void Add(const FlamePixel* row);
  // Adds row `y`, read where it lies, and meanwhile fetches row y + 1 in the order the render
  // reads it.
  void AddFetchingNext(int32_t y, const FlamePixel* row);
  // Reads and adds rows from the next one up to `y`, not included.
  void ReadUpTo(int32_t y);

  bool avx2_ = false;  // whether the processor has AVX2, for XXH3's kernel
  ConstPixelView source_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t next_ = 0;  // the next row to add
  std::vector<FlamePixel> row_;
  std::vector<uint64_t> pieces_;  // the digests of the pieces added, in order
};
