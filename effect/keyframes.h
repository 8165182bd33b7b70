// SPDX-License-Identifier: GPL-2.0-or-later
// Values over time, written as the animation strings of the frei0r hosts' users know them:
// "1=45;40=90" (a straight line from 45 at frame 1 to 90 at frame 40), "1|=45;40=90" (45 held
// until frame 40, then 90). Frames count as the renderer counts them, frame 1 first; before
// the first key a value is the first key's, after the last the last key's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One key as written: its frame, whether it holds, and its value's text, not yet read.
struct KeyText {
  int32_t frame = 1;
  bool hold = false;
  std::string value;
};

// True when `text` is keys rather than one plain value: it holds '='.
bool IsKeyframeText(const std::string& text);

// Splits "F=V;F|=V;..." into keys. False with what is wrong in `problem` (no flag name: the
// caller adds it) for a frame that is not a whole number from 1, frames not strictly rising,
// an empty value or anything that is no key. A ';' at the end is allowed.
bool SplitKeyframes(const std::string& text, std::vector<KeyText>* keys, std::string* problem);

// A key read: a slider, check box or 16.16 value in `value`, a colour in red, green, blue.
struct ParamKey {
  int32_t frame = 1;
  bool hold = false;  // the value holds until the next key; else a straight line to it
  int32_t value = 0;
  uint8_t red = 0, green = 0, blue = 0;
};

// The value of `keys` (rising frames, at least one) at `frame`. Between a key that does not
// hold and the next, each number (the value, or each colour component) lies on the straight
// line between them, rounded to the nearest whole unit as the effect's controls round, halves
// away from zero; `stepped` makes every key hold (a check box has nothing in between).
ParamKey KeyValueAt(const std::vector<ParamKey>& keys, int32_t frame, bool stepped);

// The keys as text, "1|=45;9=60": each key holds, as a value set at a frame does, and the
// last is written plain. `valueText` gives each key's value.
template <class ValueText>
std::string HeldKeyframeText(const std::vector<ParamKey>& keys, ValueText valueText) {
  std::string text;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i > 0) text += ';';
    text += std::to_string(keys[i].frame) + (i + 1 < keys.size() ? "|=" : "=") + valueText(keys[i]);
  }
  return text;
}
