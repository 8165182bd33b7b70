// SPDX-License-Identifier: GPL-2.0-or-later
// The current settings as the other front ends take them: the flags of `fyrel render` and the
// frei0r filter's parameter string (both from the effect's parameter table, the filter's with
// its 0..1 mapping), each of which gives the same fire.
#pragma once

#include <cstdint>
#include <string>

#include "effect/fire.h"

class ParamTimeline;

// "fyrel render [--source NAME] --frames N" (or "fyrel preview --frames N") and a flag of that
// command for every parameter whose value in `values` is not its default. An empty
// `sourceName` is the built-in wordmark. A name that the shell would split or expand is quoted.
// With a begun `timeline`, each parameter's values in frames 1 to N come from it: a parameter
// that changed in them is given as keys ('1|=45;9=60'), each change holding from its frame.
std::string RenderCommandText(const EffectValues& values, const std::string& sourceName,
                              int32_t frames, const ParamTimeline* timeline = nullptr);
std::string PreviewCommandText(const EffectValues& values, int32_t frames);

// "frei0r=fyrel:" and the filter's parameters in its order, separated by '|': the sliders and
// the direction as numbers from 0 to 1, the colours as r/g/b, the check boxes as y/n. Each
// number has the fewest digits (four significant at least) that the filter maps back to the
// value the effect holds. With a begun `timeline`, the values of frames 1 to `frames`; when
// one changes in them, which ffmpeg's filter cannot say, the filter as MLT takes it instead:
// "frei0r.fyrel 'Velocity=0|=0.4444;4=0.899' ...", keys at MLT's positions (from 0), colours
// as #RRGGBB and check boxes as 1 or 0.
std::string Frei0rFilterText(const EffectValues& values, const ParamTimeline* timeline = nullptr,
                             int32_t frames = 0);
