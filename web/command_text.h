// The current settings as the other front ends take them: the flags of `fyrel render` (from
// the renderer's own flag table) and the frei0r filter's parameter string (from the filter's
// own parameter table and mapping), each of which gives the same fire.
#pragma once

#include <cstdint>
#include <string>

#include "cli/flags/flag_table.h"

class EffectHost;
class ParamTimeline;

// "fyrel render [--source NAME] --frames N" (or "fyrel preview --frames N") and a flag of that
// command for every parameter whose value is not its default. An empty `sourceName` is the
// built-in wordmark. A name that the shell would split or expand is quoted. With a begun
// `timeline`, each parameter's values in frames 1 to N come from it: a parameter that changed
// in them is given as keys ('1|=45;9=60'), each change holding from its frame.
std::string CommandText(const EffectHost& host, Command command, const std::string& sourceName,
                        int32_t frames, const ParamTimeline* timeline = nullptr);

// "frei0r=fyrel:" and the filter's parameters in its order, separated by '|': the sliders and
// the direction as numbers from 0 to 1, the colours as r/g/b, the check boxes as y/n. Each
// number has the fewest digits (four significant at least) that the filter maps back to the
// value the effect holds.
std::string Frei0rFilterText(const EffectHost& host);
