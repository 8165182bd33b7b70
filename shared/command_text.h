// The current settings as the other front ends take them: the flags of `fyrel render` and the
// frei0r filter's parameter string (both from the effect's parameter table, the filter's with
// its 0..1 mapping), each of which gives the same fire.
#pragma once

#include <cstdint>
#include <string>

class EffectHost;

// "fyrel render [--source NAME] --frames N" (or "fyrel preview --frames N") and a flag of that
// command for every parameter whose value is not its default. An empty `sourceName` is the
// built-in wordmark. A name that the shell would split or expand is quoted.
std::string RenderCommandText(const EffectHost& host, const std::string& sourceName,
                              int32_t frames);
std::string PreviewCommandText(const EffectHost& host, int32_t frames);

// "frei0r=fyrel:" and the filter's parameters in its order, separated by '|': the sliders and
// the direction as numbers from 0 to 1, the colours as r/g/b, the check boxes as y/n. Each
// number has the fewest digits (four significant at least) that the filter maps back to the
// value the effect holds.
std::string Frei0rFilterText(const EffectHost& host);
