// SPDX-License-Identifier: GPL-2.0-or-later
#include "frei0r/frei0r_params.h"

#include "frei0r/frei0r_api.h"

namespace {

constexpr Frei0rKind KindOf(ParamKind kind) {
  switch (kind) {
    case ParamKind::kColor: return Frei0rKind::kColor;
    case ParamKind::kCheckBox: return Frei0rKind::kCheckBox;
    case ParamKind::kAngle: return Frei0rKind::kAngle;
    case ParamKind::kSlider:
    case ParamKind::kFraction: break;
  }
  return Frei0rKind::kSlider;
}

struct Frei0rTable {
  Frei0rParam params[kFrei0rParamCount];
  constexpr Frei0rTable() : params() {
    int index = 0;
    for (const EffectParam& p : kEffectParams) {
      if (p.hostOnly) continue;
      const bool slider = p.kind == ParamKind::kSlider;
      params[index++] = {p.name, KindOf(p.kind), p.position, slider ? p.min : 0,
                         slider ? p.max : 0, p.help};
    }
  }
};

}  // namespace

const Frei0rParam* Frei0rParamAt(int index) {
  static const Frei0rTable table;
  if (index < 0 || index >= kFrei0rParamCount) return nullptr;
  return &table.params[index];
}

int Frei0rType(Frei0rKind kind) {
  switch (kind) {
    case Frei0rKind::kCheckBox: return F0R_PARAM_BOOL;
    case Frei0rKind::kColor: return F0R_PARAM_COLOR;
    case Frei0rKind::kSlider:
    case Frei0rKind::kAngle: break;
  }
  return F0R_PARAM_DOUBLE;
}
