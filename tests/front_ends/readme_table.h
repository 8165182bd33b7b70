// The README's table of the effect's parameters, as the parameter table gives it: by group,
// the table's order within each.
#pragma once

#include <cstdio>
#include <string>

#include "host/effect_params.h"

inline std::string ReadmeParamTable() {
  std::string text =
      "| group | parameter | flag | script name | kind | range | default | what it does |\n"
      "|---|---|---|---|---|---|---|---|\n";
  for (int group = 0; group < kParamGroupCount; ++group) {
  for (const EffectParam& row : EffectParams()) {
    if (row.hostOnly || static_cast<int>(row.group) != group) continue;
    std::string kind = "integer", range, dephault;
    char number[32];
    switch (row.kind) {
      case ParamKind::kSlider:
        range = std::to_string(row.min) + "–" + std::to_string(row.max);
        dephault = std::to_string(row.dephault);
        break;
      case ParamKind::kColor:
        kind = "colour";
        std::snprintf(number, sizeof number, "#%06X", row.dephault & 0xFFFFFF);
        dephault = number;
        break;
      case ParamKind::kCheckBox:
        kind = "check box";
        dephault = row.dephault ? "on" : "off";
        break;
      case ParamKind::kAngle:
      case ParamKind::kFraction:
        kind = row.kind == ParamKind::kAngle ? "angle, degrees" : "fraction";
        range = std::to_string(row.min) + "–" + std::to_string(row.max);
        std::snprintf(number, sizeof number, "%g", row.dephault / 65536.0);
        dephault = number;
        break;
    }
    text += std::string("| ") + GroupInfo(row.group).title + " | " + row.name + " | `--" +
            row.flagName + "` | `" + row.scriptName + "` | " + kind + " | " + range + " | " +
            dephault + " | " + row.help + " |\n";
  }
  }
  return text;
}
