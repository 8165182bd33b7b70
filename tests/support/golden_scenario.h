// SPDX-License-Identifier: GPL-2.0-or-later
// The cross-platform render scenario: a fixed source and a few parameter sets rendered through
// an effect's `main`, each case's frames locked by one digest. The Linux build and the 32-bit
// Windows build run it alike and must both arrive at the digests below, byte for byte.
#pragma once

#include <string>
#include <vector>

#include "host/effect_commands.h"
#include "host/host_interface.h"

struct GoldenCaseDigest {
  std::string name;
  std::string digest;  // 16 hex digits over every frame the case renders, in order
};

// Frame size and frame count of each case.
constexpr int kGoldenWidth = 64;
constexpr int kGoldenHeight = 48;
constexpr int kGoldenFrames = 30;

// Runs every case, in order, through `entry`. The fire (its phases and generator) carries from
// case to case, so `entry` must be a freshly loaded effect that nothing has rendered with yet
// (a process of its own).
std::vector<GoldenCaseDigest> RunGoldenScenario(PF_EffectEntry entry);

// The same on `instance`, which must be fresh: its fire carries from case to case.
std::vector<GoldenCaseDigest> RunGoldenScenario(EffectInstance& instance);

// What RunGoldenScenario yields on every platform.
const std::vector<GoldenCaseDigest>& ExpectedGoldenDigests();
