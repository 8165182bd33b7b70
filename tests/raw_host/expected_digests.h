// SPDX-License-Identifier: GPL-2.0-or-later
// What the raw host's sequences render to, in every build that runs them: the Linux plug-in,
// both DLLs under wine, and the 32-bit DLL in the CPU emulator (tests/emulator).
#pragma once

struct RawHostDigest {
  const char* sequence;
  const char* digest;  // 16 hex digits over the pixels each render may write, frame by frame
};

inline constexpr RawHostDigest kRawHostDigests[] = {
    {"restart", "9bba699155efbb70"},
    {"parameters", "30a3ef58087f3876"},
};
