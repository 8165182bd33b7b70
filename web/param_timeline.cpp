// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/param_timeline.h"

namespace {

ParamKey HeldKey(int32_t value, int32_t frame) {
  ParamKey key;
  key.hold = true;
  key.value = value;
  key.frame = frame < 1 ? 1 : frame;
  return key;
}

}  // namespace

void ParamTimeline::Begin(const EffectValues& values) {
  keys_.assign(values.size(), {});
  for (size_t index = 0; index < values.size(); ++index) {
    keys_[index].push_back(HeldKey(values[index], 1));
  }
}

void ParamTimeline::Change(const EffectValues& values, FlameParam position, int32_t frame) {
  if (!Begun() || position < 1 || position > static_cast<int>(keys_.size())) return;
  std::vector<ParamKey>& keys = keys_[position - 1];
  while (keys.size() > 1 && keys.back().frame >= frame) keys.pop_back();
  const ParamKey key = HeldKey(values[position - 1], frame);
  if (keys.back().frame == key.frame) keys.back() = key;
  else keys.push_back(key);
}

void ParamTimeline::ApplyAt(EffectValues& values, int32_t frame) const {
  for (size_t index = 0; index < keys_.size(); ++index) {
    values[index] = KeyValueAt(keys_[index], frame, true).value;
  }
}

std::vector<ParamKey> ParamTimeline::KeysOf(FlameParam position, int32_t lastFrame) const {
  std::vector<ParamKey> keys;
  if (position < 1 || position > static_cast<int>(keys_.size())) return keys;
  for (const ParamKey& key : keys_[position - 1]) {
    if (key.frame > lastFrame) break;
    if (!keys.empty() && keys.back().value == key.value) continue;
    keys.push_back(key);
  }
  return keys;
}
