// SPDX-License-Identifier: GPL-2.0-or-later
// The effect as the commands drive it: the linked-in entry or a plug-in binary loaded at run
// time, started in our own host the way a compositing host starts it, with the command line's
// parameter values set by display name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/flags/command_line.h"
#include "minihost/effect_host.h"

// The linked-in entry when pluginPath is empty, else the plug-in's `main`. Throws a CliError
// naming the file when it cannot be loaded.
PF_EffectEntry ChooseEffectEntry(const std::string& pluginPath);

// A host around `entry` after global, parameter and sequence setup, with `params` applied as
// they are at `frame`. Throws a CliError when a setup command fails or the effect lacks a
// parameter.
std::unique_ptr<EffectHost> StartEffect(PF_EffectEntry entry,
                                        const std::vector<ParamSetting>& params,
                                        int32_t frame = 1);

// Sets each value as it is at `frame` on the host by display name, in the given order (a
// later setting of a parameter wins); only those given as keys when `keyedOnly`. Throws a
// CliError for an unknown name.
void ApplyParamSettings(EffectHost& host, const std::vector<ParamSetting>& params,
                        int32_t frame, bool keyedOnly);
