// SPDX-License-Identifier: GPL-2.0-or-later
// The digest's update with XXH3's AVX2 kernel (built for AVX2; SourceDigest calls it only on a
// processor that has it). The digest is the same whichever kernel makes it. Nothing else is
// built here, so that no code of the AVX2 build is shared with the rest of the plug-in.
#define XXH_INLINE_ALL
#include <xxhash.h>

void SourceDigestUpdateAvx2(void* state, const void* data, size_t size) {
  XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, size);
}
