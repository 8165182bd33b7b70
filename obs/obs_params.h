// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters as OBS shows and keeps them, made from the effect's parameter table:
// one property per parameter (setting names are the table's script names), in the table's
// groups with its ranges, defaults and help, and the settings read back as the values the
// effect takes; and a list of the effect's presets that sets them.
#pragma once

#include <obs-module.h>

#include "obs/obs_fire.h"

// The setting of the preset list, which holds a preset's name only while it is being picked.
constexpr const char* kPresetSetting = "preset";
// The list of the effect's presets, `none` its first line: picking one sets every parameter.
void AddPresetList(obs_properties_t* props, const char* title, const char* none);
void AddFireProperties(obs_properties_t* props);
void SetFireDefaults(obs_data_t* settings);
// Values outside a parameter's range are clamped; a missing one is its default.
FireSettings FireSettingsFrom(obs_data_t* settings);
