// The effect's parameters as OBS shows and keeps them: one property per parameter, in the
// groups and with the ranges and defaults every front end gives them, and the settings read
// back as the values the effect takes. The one place that knows the parameter table.
#pragma once

#include <obs-module.h>

#include "obs/obs_fire.h"

void AddFireProperties(obs_properties_t* props);
void SetFireDefaults(obs_data_t* settings);
// Values outside a parameter's range are clamped; a missing one is its default.
FireSettings FireSettingsFrom(obs_data_t* settings);
