// SPDX-License-Identifier: GPL-2.0-or-later
// The "Preset" choice: its first option picks nothing, each other one a preset of the effect.
// Picking one sets every other parameter to the preset's value (the default for what it does
// not name) through the host's parameter suite, as one edit, and puts the choice back on its
// first option, so that a project keeps the values, not the pick.
#pragma once

#include <array>

#include "ofx/fire_params.h"
#include "ofx/ofx_api.h"
#include "ofx/ofx_props.h"

constexpr const char* kPresetParamName = "preset";

// Defines the choice in `set` (describe in context): not animated, no render of its own.
OfxStatus DefinePresetChoice(OfxParamSetHandle set);

// When the user picked a preset in `choice` (read at `time`): the values of `params` (in
// FireParams() order) set and the choice reset. False when nothing was picked.
bool ApplyPickedPreset(OfxParamSetHandle set, OfxParamHandle choice, double time,
                       const std::array<OfxParamHandle, kFireParamCount>& params);
