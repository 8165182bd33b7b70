// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/command_text.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "effect/effect_params.h"
#include "effect/unit_values.h"
#include "web/param_timeline.h"

namespace {

// `value` with `digits` significant digits, trailing zeros dropped.
std::string General(double value, int digits) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

// The shortest text of `value`, with four significant digits at least, that `readsBack` turns
// into what the effect holds. Seventeen digits give every double back.
template <class ReadsBack>
std::string Shortest(double value, ReadsBack readsBack) {
  for (int digits = 4; digits < 17; ++digits) {
    std::string text = General(value, digits);
    if (readsBack(text)) return text;
  }
  return General(value, 17);
}

// A 16.16 fixed-point value as the renderer's decimal flags read it, with the fewest decimals
// that give it back.
std::string FixedText(int32_t fixed) {
  const double value = fixed / 65536.0;
  char text[48];
  for (int decimals = 0;; ++decimals) {
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (NearestFixed16(std::strtod(text, nullptr)) == fixed || decimals == 16) return text;
  }
}

// A word the shell passes on as it is: quoted when it holds anything but plain name
// characters, and never taken for a flag.
std::string ShellWord(const std::string& text) {
  bool plain = !text.empty();
  for (char c : text) {
    const bool name = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-' || c == '/' || c == '+' || c == ',';
    if (!name) plain = false;
  }
  const std::string word = !text.empty() && text[0] == '-' ? "./" + text : text;
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool IsDefault(const EffectParam& row, int32_t value) {
  return value == (row.kind == ParamKind::kColor ? row.dephault & 0xFFFFFF : row.dephault);
}

// `value` as the renderer's flag for `row` takes it: angles and fractions with the fewest
// decimals that give them back.
std::string FlagValueText(const EffectParam& row, int32_t value) {
  if (row.kind == ParamKind::kAngle || row.kind == ParamKind::kFraction) return FixedText(value);
  return ValueText(row, value);
}

// `value` as the frei0r filter takes it.
std::string Frei0rValueText(const EffectParam& row, int32_t value) {
  switch (row.kind) {
    case ParamKind::kFraction: return "";  // the filter has no such parameter
    case ParamKind::kSlider:
      return Shortest(UnitFromSlider(value, row.min, row.max), [&](const std::string& text) {
        return SliderFromUnit(std::strtod(text.c_str(), nullptr), row.min, row.max, ~value) ==
               value;
      });
    case ParamKind::kAngle: {
      // The filter takes one turn; the effect reads whole degrees modulo 360, so a direction
      // outside it is the same direction within it.
      int32_t fixed = value % kFullTurnFixed;
      if (fixed < 0) fixed += kFullTurnFixed;
      return Shortest(UnitFromAngle(fixed), [&](const std::string& text) {
        return AngleFromUnit(std::strtod(text.c_str(), nullptr), ~fixed) == fixed;
      });
    }
    case ParamKind::kCheckBox: return value != 0 ? "y" : "n";
    case ParamKind::kColor: break;
  }
  std::string text;
  for (uint8_t byte : {RedOf(value), GreenOf(value), BlueOf(value)}) {
    if (!text.empty()) text += '/';
    const uint8_t other = static_cast<uint8_t>(~byte);
    text += Shortest(UnitFromByte(byte), [&](const std::string& component) {
      return ByteFromUnit(std::strtof(component.c_str(), nullptr), other) == byte;
    });
  }
  return text;
}

std::string CommandText(const EffectValues& values, bool preview, const std::string& sourceName,
                        int32_t frames, const ParamTimeline* timeline) {
  std::string text = preview ? "fyrel preview" : "fyrel render";
  if (!preview && !sourceName.empty()) text += " --source " + ShellWord(sourceName);
  text += " --frames " + std::to_string(frames);
  for (const EffectParam& row : EffectParams()) {
    if (preview && !GroupInfo(row.group).previewed) continue;
    const std::vector<ParamKey> keys = timeline && timeline->Begun()
                                           ? timeline->KeysOf(row.position, frames)
                                           : std::vector<ParamKey>{};
    if (keys.size() > 1) {
      text += std::string(" --") + row.flagName + " " +
              ShellWord(HeldKeyframeText(keys, [&](const ParamKey& key) {
                return FlagValueText(row, key.value);
              }));
      continue;
    }
    const int32_t value = keys.size() == 1 ? keys.front().value : values[row.position - 1];
    if (IsDefault(row, value)) continue;
    text += std::string(" --") + row.flagName + " " + FlagValueText(row, value);
  }
  return text;
}

}  // namespace

std::string RenderCommandText(const EffectValues& values, const std::string& sourceName,
                              int32_t frames, const ParamTimeline* timeline) {
  return CommandText(values, false, sourceName, frames, timeline);
}

std::string PreviewCommandText(const EffectValues& values, int32_t frames) {
  return CommandText(values, true, "", frames, nullptr);
}

std::string Frei0rFilterText(const EffectValues& values, const ParamTimeline* timeline,
                             int32_t frames) {
  std::vector<std::vector<ParamKey>> keys;
  bool changes = false;
  for (const EffectParam& row : EffectParams()) {
    if (row.hostOnly) continue;
    if (timeline && timeline->Begun()) {
      keys.push_back(timeline->KeysOf(row.position, frames));
    } else {
      keys.emplace_back(1);
      keys.back().front().value = values[row.position - 1];
    }
    changes = changes || keys.back().size() > 1;
  }
  std::string text = changes ? "frei0r.fyrel" : "frei0r=fyrel:";
  size_t index = 0;
  for (const EffectParam& row : EffectParams()) {
    if (row.hostOnly) continue;
    auto valueText = [&](const ParamKey& key) {
      if (changes && row.kind == ParamKind::kColor) return "#" + ValueText(row, key.value);
      if (changes && row.kind == ParamKind::kCheckBox) return std::string(key.value ? "1" : "0");
      return Frei0rValueText(row, key.value);
    };
    std::vector<ParamKey> rowKeys = keys[index++];
    if (!changes) {
      text += (index > 1 ? "|" : "") + valueText(rowKeys.front());
      continue;
    }
    for (ParamKey& key : rowKeys) key.frame -= 1;  // MLT's positions count from 0
    text += " " + ShellWord(std::string(row.name) + "=" +
                            (rowKeys.size() > 1 ? HeldKeyframeText(rowKeys, valueText)
                                                : valueText(rowKeys.front())));
  }
  return text;
}
