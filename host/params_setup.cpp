// SPDX-License-Identifier: GPL-2.0-or-later
#include <cstring>

#include "host/command_handlers.h"
#include "effect/effect_params.h"

namespace {

constexpr const char* kCheckBoxLabel = "Add Fire Params";

class ParamAdder {
 public:
  explicit ParamAdder(PF_InData* in_data) : in_data_(in_data) {}

  PF_Err Slider(const EffectParam& row) {
    Begin(PF_Param_SLIDER, row.name);
    def_.u.sd.value = row.dephault;
    def_.u.sd.value_str[0] = '\0';
    def_.u.sd.value_desc[0] = '\0';
    def_.u.sd.valid_min = row.min;
    def_.u.sd.valid_max = row.max;
    def_.u.sd.slider_min = row.min;
    def_.u.sd.slider_max = row.max;
    def_.u.sd.dephault = row.dephault;
    return Add();
  }

  PF_Err Color(const EffectParam& row) {
    Begin(PF_Param_COLOR, row.name);
    const PF_Pixel pixel = {AlphaOf(row.dephault), RedOf(row.dephault), GreenOf(row.dephault), BlueOf(row.dephault)};
    def_.u.cd.value = pixel;
    def_.u.cd.dephault = pixel;
    return Add();
  }

  PF_Err CheckBox(const EffectParam& row) {
    Begin(PF_Param_CHECKBOX, row.name);
    def_.u.bd.value = row.dephault;
    def_.u.bd.dephault = static_cast<PF_Boolean>(row.dephault);
    def_.u.bd.u.nameptr = kCheckBoxLabel;
    return Add();
  }

  PF_Err Angle(const EffectParam& row) {
    Begin(PF_Param_ANGLE, row.name);
    def_.u.ad.value = row.dephault;
    def_.u.ad.dephault = row.dephault;
    return Add();
  }

  PF_Err FixedSlider(const EffectParam& row) {
    Begin(PF_Param_FIX_SLIDER, row.name);
    const PF_Fixed min = row.min * kFixedOne, max = row.max * kFixedOne, dephault = row.dephault;
    def_.u.fd.value = dephault;
    def_.u.fd.value_str[0] = '\0';
    def_.u.fd.value_desc[0] = '\0';
    def_.u.fd.valid_min = min;
    def_.u.fd.valid_max = max;
    def_.u.fd.slider_min = min;
    def_.u.fd.slider_max = max;
    def_.u.fd.dephault = dephault;
    def_.u.fd.precision = 1;
    def_.u.fd.display_flags = 0;
    return Add();
  }

 private:
  // Each definition starts from zeros, so that every field the type does not set is 0.
  void Begin(PF_ParamType type, const char* name) {
    std::memset(&def_, 0, sizeof def_);
    def_.param_type = type;
    in_data_->utils->ansi.strcpy(def_.name, name);
  }
  PF_Err Add() { return in_data_->inter.add_param(in_data_->effect_ref, -1, &def_); }

  PF_InData* in_data_;
  PF_ParamDef def_{};
};

}  // namespace

PF_Err ParamsSetupCommand(PF_InData* in_data, PF_OutData* out_data) {
  ParamAdder add(in_data);
  for (const EffectParam& row : EffectParams()) {
    PF_Err err = PF_Err_NONE;
    switch (row.kind) {
      case ParamKind::kSlider: err = add.Slider(row); break;
      case ParamKind::kColor: err = add.Color(row); break;
      case ParamKind::kCheckBox: err = add.CheckBox(row); break;
      case ParamKind::kAngle: err = add.Angle(row); break;
      case ParamKind::kFraction: err = add.FixedSlider(row); break;
    }
    if (err != PF_Err_NONE) return err;
  }
  out_data->num_params = kParamCount;
  return PF_Err_NONE;
}
