// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/pixel_digest.h"

#include <cstdlib>

#define XXH_INLINE_ALL
#include <xxhash.h>

struct PixelDigest::State {
  XXH3_state_t xxh;
};

PixelDigest::PixelDigest() : state_(new State) { XXH3_64bits_reset(&state_->xxh); }

PixelDigest::~PixelDigest() { delete state_; }

void PixelDigest::Add(const PF_Pixel* pixels, size_t count) {
  XXH3_64bits_update(&state_->xxh, pixels, count * sizeof(PF_Pixel));
}

uint64_t PixelDigest::Value() const { return XXH3_64bits_digest(&state_->xxh); }

uint64_t PixelDigest::Of(const PF_Pixel* pixels, size_t count) {
  return XXH3_64bits(pixels, count * sizeof(PF_Pixel));
}
