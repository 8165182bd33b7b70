// SPDX-License-Identifier: GPL-2.0-or-later
// What the page did to the values in one run of the fire: every parameter's value at frame 1,
// then each change at the frame from which it holds. Rendering frame n with the values it gives
// for n makes the frames the page showed again, and the renderer's keys say the same.
#pragma once

#include <cstdint>
#include <vector>

#include "effect/fire.h"
#include "effect/keyframes.h"

class ParamTimeline {
 public:
  // A new run: `values` are those of frame 1; the changes are forgotten.
  void Begin(const EffectValues& values);
  // The value in `values` of the parameter at `position` holds from `frame` on: it replaces a
  // change of it at that frame and drops its changes after it (they belong to frames that are
  // made again).
  void Change(const EffectValues& values, FlameParam position, int32_t frame);
  // Sets every value to its value at `frame`. Does nothing before Begin.
  void ApplyAt(EffectValues& values, int32_t frame) const;
  // The keys of the parameter at `position` up to `lastFrame`, each holding, the first at
  // frame 1, none repeating the value before it; empty before Begin. Each key's `value` is the
  // effect's value (a colour's too, as 0xRRGGBB).
  std::vector<ParamKey> KeysOf(FlameParam position, int32_t lastFrame) const;
  bool Begun() const { return !keys_.empty(); }

 private:
  std::vector<std::vector<ParamKey>> keys_;  // by the table's index
};
