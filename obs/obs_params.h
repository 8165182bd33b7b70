// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters as OBS shows and keeps them, made from the effect's parameter table:
// one property per parameter (setting names are the table's script names), in the table's
// groups with its ranges, defaults and help, and the settings read back as the values the
// effect takes.
#pragma once

#include <obs-module.h>

#include "obs/obs_fire.h"

void AddFireProperties(obs_properties_t* props);
void SetFireDefaults(obs_data_t* settings);
// Values outside a parameter's range are clamped; a missing one is its default.
FireSettings FireSettingsFrom(obs_data_t* settings);
