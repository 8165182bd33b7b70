// SPDX-License-Identifier: GPL-2.0-or-later
#include "shared/param_timeline.h"

#include "minihost/effect_host.h"

namespace {

bool SameValue(const ParamKey& a, const ParamKey& b) {
  return a.value == b.value && a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

ParamKey KeyOfParam(const PF_ParamDef& param) {
  ParamKey key;
  key.hold = true;
  switch (param.param_type) {
    case PF_Param_SLIDER: key.value = param.u.sd.value; break;
    case PF_Param_FIX_SLIDER: key.value = param.u.fd.value; break;
    case PF_Param_ANGLE: key.value = param.u.ad.value; break;
    case PF_Param_CHECKBOX: key.value = param.u.bd.value; break;
    case PF_Param_COLOR:
      key.red = param.u.cd.value.red;
      key.green = param.u.cd.value.green;
      key.blue = param.u.cd.value.blue;
      break;
    default: break;
  }
  return key;
}

void SetParamFromKey(PF_ParamDef& param, const ParamKey& key) {
  switch (param.param_type) {
    case PF_Param_SLIDER: param.u.sd.value = key.value; break;
    case PF_Param_FIX_SLIDER: param.u.fd.value = key.value; break;
    case PF_Param_ANGLE: param.u.ad.value = key.value; break;
    case PF_Param_CHECKBOX: param.u.bd.value = key.value; break;
    case PF_Param_COLOR:
      param.u.cd.value.red = key.red;
      param.u.cd.value.green = key.green;
      param.u.cd.value.blue = key.blue;
      break;
    default: break;
  }
}

void ParamTimeline::Begin(const EffectHost& host) {
  keys_.assign(static_cast<size_t>(host.ParamCount()), {});
  for (int position = 1; position < host.ParamCount(); ++position) {
    keys_[position].push_back(KeyOfParam(host.Param(position)));
  }
}

void ParamTimeline::Change(const EffectHost& host, int position, int32_t frame) {
  if (!Begun() || position < 1 || position >= static_cast<int>(keys_.size())) return;
  std::vector<ParamKey>& keys = keys_[position];
  while (keys.size() > 1 && keys.back().frame >= frame) keys.pop_back();
  ParamKey key = KeyOfParam(host.Param(position));
  key.frame = frame < 1 ? 1 : frame;
  if (keys.back().frame == key.frame) keys.back() = key;
  else keys.push_back(key);
}

void ParamTimeline::ApplyAt(EffectHost& host, int32_t frame) const {
  for (size_t position = 1; position < keys_.size(); ++position) {
    SetParamFromKey(host.Param(static_cast<int>(position)), KeyValueAt(keys_[position], frame, true));
  }
}

std::vector<ParamKey> ParamTimeline::KeysOf(int position, int32_t lastFrame) const {
  std::vector<ParamKey> keys;
  if (position < 1 || position >= static_cast<int>(keys_.size())) return keys;
  for (const ParamKey& key : keys_[position]) {
    if (key.frame > lastFrame) break;
    if (!keys.empty() && SameValue(keys.back(), key)) continue;
    keys.push_back(key);
  }
  return keys;
}
