// SPDX-License-Identifier: GPL-2.0-or-later
// The digest of a piece of a row with XXH3's AVX2 kernel (built for AVX2; SourceDigest calls
// it only on a processor that has it). The digest is the same whichever kernel makes it.
// Nothing else is built here, so that no code of the AVX2 build is shared with the rest of the
// plug-in.
#include <cstddef>
#include <cstdint>

#define XXH_INLINE_ALL
#include <xxhash.h>

uint64_t SourceDigestPieceAvx2(const void* data, size_t size) { return XXH3_64bits(data, size); }
