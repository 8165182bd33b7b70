// SPDX-License-Identifier: GPL-2.0-or-later
// What the page did to the values in one run of the fire: every parameter's value at frame 1,
// then each change at the frame from which it holds. Rendering frame n with the values it gives
// for n makes the frames the page showed again, and the renderer's keys say the same.
#pragma once

#include <cstdint>
#include <vector>

#include "shared/keyframes.h"
#include "host/host_interface.h"

class EffectHost;

class ParamTimeline {
 public:
  // A new run: the host's values now are those of frame 1; the changes are forgotten.
  void Begin(const EffectHost& host);
  // The host's value now of the parameter at `position` holds from `frame` on: it replaces a
  // change of it at that frame and drops its changes after it (they belong to frames that
  // are made again).
  void Change(const EffectHost& host, int position, int32_t frame);
  // Sets every parameter to its value at `frame`. Does nothing before Begin.
  void ApplyAt(EffectHost& host, int32_t frame) const;
  // The keys of the parameter at `position` up to `lastFrame`, each holding, the first at
  // frame 1, none repeating the value before it; empty before Begin.
  std::vector<ParamKey> KeysOf(int position, int32_t lastFrame) const;
  bool Begun() const { return !keys_.empty(); }

 private:
  std::vector<std::vector<ParamKey>> keys_;  // by parameter position; [0], the layer, unused
};

// The value of a parameter as a key (slider, angle, fixed or check box in `value`, a colour in
// red, green and blue), and back.
ParamKey KeyOfParam(const PF_ParamDef& param);
void SetParamFromKey(PF_ParamDef& param, const ParamKey& key);
