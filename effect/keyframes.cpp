// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/keyframes.h"

#include <cctype>

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// `a` + (`b` - `a`) * `step` / `steps`, to the nearest whole number, halves away from zero.
int64_t Between(int64_t a, int64_t b, int64_t step, int64_t steps) {
  const int64_t scaled = a * steps + (b - a) * step;
  const int64_t half = steps / 2;
  const bool exactHalf = steps % 2 == 0;
  int64_t quotient = scaled / steps, remainder = scaled % steps;
  if (remainder < 0) {
    remainder = -remainder;
    if (remainder > half || (exactHalf && remainder == half)) --quotient;
  } else if (remainder > half || (exactHalf && remainder == half)) {
    ++quotient;
  }
  return quotient;
}

}  // namespace

bool IsKeyframeText(const std::string& text) { return text.find('=') != std::string::npos; }

bool SplitKeyframes(const std::string& text, std::vector<KeyText>* keys, std::string* problem) {
  keys->clear();
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find(';', begin);
    if (end == std::string::npos) end = text.size();
    const std::string key = text.substr(begin, end - begin);
    begin = end + 1;
    const size_t equals = key.find('=');
    const bool hold = equals != std::string::npos && equals > 0 && key[equals - 1] == '|';
    const std::string frameText =
        equals == std::string::npos ? "" : key.substr(0, hold ? equals - 1 : equals);
    bool digits = !frameText.empty() && frameText.size() <= 9;
    for (char c : frameText) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (!digits || equals + 1 >= key.size()) {
      size_t digitsEnd = 0;
      while (digitsEnd < key.size() && std::isdigit(static_cast<unsigned char>(key[digitsEnd]))) {
        ++digitsEnd;
      }
      if (equals != std::string::npos && digitsEnd > 0 && equals == digitsEnd + 1 && !hold) {
        *problem = "the key " + Quoted(key) + " has an interpolation other than = (a straight " +
                   "line) or |= (hold)";
      } else {
        *problem = Quoted(key) + " is not a key: FRAME=VALUE or FRAME|=VALUE, keys separated by ';'";
      }
      return false;
    }
    KeyText parsed;
    parsed.frame = std::stoi(frameText);
    parsed.hold = hold;
    parsed.value = key.substr(equals + 1);
    if (parsed.frame < 1) {
      *problem = "the key " + Quoted(key) + " is at frame 0; frames count from 1";
      return false;
    }
    if (!keys->empty() && parsed.frame <= keys->back().frame) {
      *problem = "the key " + Quoted(key) + " comes after a key at frame " +
                 std::to_string(keys->back().frame) + "; keys go in rising frame order";
      return false;
    }
    keys->push_back(parsed);
  }
  if (keys->empty()) {
    *problem = "no keys: FRAME=VALUE or FRAME|=VALUE, keys separated by ';'";
    return false;
  }
  return true;
}

ParamKey KeyValueAt(const std::vector<ParamKey>& keys, int32_t frame, bool stepped) {
  size_t at = 0;
  while (at + 1 < keys.size() && keys[at + 1].frame <= frame) ++at;
  const ParamKey& from = keys[at];
  if (frame <= from.frame || at + 1 == keys.size() || from.hold || stepped) {
    ParamKey value = from;
    value.frame = frame;
    return value;
  }
  const ParamKey& to = keys[at + 1];
  const int64_t step = frame - from.frame, steps = to.frame - from.frame;
  ParamKey value = from;
  value.frame = frame;
  value.value = static_cast<int32_t>(Between(from.value, to.value, step, steps));
  value.red = static_cast<uint8_t>(Between(from.red, to.red, step, steps));
  value.green = static_cast<uint8_t>(Between(from.green, to.green, step, steps));
  value.blue = static_cast<uint8_t>(Between(from.blue, to.blue, step, steps));
  return value;
}
