#include <cstring>

#include "host/command_handlers.h"
#include "host/param_positions.h"

namespace {

constexpr const char* kCheckBoxLabel = "Add Fire Params";

struct SliderRow {
  const char* name;
  int32_t min, max, dephault;
};

struct ColorRow {
  const char* name;
  PF_Pixel dephault;
};

struct CheckBoxRow {
  const char* name;
  int32_t dephault;
};

constexpr SliderRow kShapeSliders[] = {
    {"Velocity", 1, 100, 45}, {"Height", 0, 255, 13},    {"Soot", 0, 255, 1},
    {"Width", 0, 255, 41},    {"Amplitude", 0, 255, 12}, {"Alpha", 0, 255, 213},
};
constexpr ColorRow kColors[] = {
    {"Color 1", {255, 255, 255, 255}},
    {"Color 2", {255, 255, 255, 0}},
    {"Color 3", {255, 255, 0, 0}},
    {"Color 4", {0, 0, 0, 0}},
};
constexpr SliderRow kPositionSliders[] = {
    {"Color 2 Position", 0, 255, 85},
    {"Color 3 Position", 0, 255, 171},
};
constexpr CheckBoxRow kCheckBoxes[] = {
    {"Custom Color", 0}, {"Birth", 1}, {"Drop", 1}, {"Invert Source", 1},
};

class ParamAdder {
 public:
  explicit ParamAdder(PF_InData* in_data) : in_data_(in_data) {}

  PF_Err Slider(const SliderRow& row) {
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

  PF_Err Color(const ColorRow& row) {
    Begin(PF_Param_COLOR, row.name);
    def_.u.cd.value = row.dephault;
    def_.u.cd.dephault = row.dephault;
    return Add();
  }

  PF_Err CheckBox(const CheckBoxRow& row) {
    Begin(PF_Param_CHECKBOX, row.name);
    def_.u.bd.value = row.dephault;
    def_.u.bd.dephault = static_cast<PF_Boolean>(row.dephault);
    def_.u.bd.u.nameptr = kCheckBoxLabel;
    return Add();
  }

  PF_Err Angle(const char* name) {
    Begin(PF_Param_ANGLE, name);
    def_.u.ad.value = 0;
    def_.u.ad.dephault = 0;
    return Add();
  }

  PF_Err FixedSlider(const char* name, PF_Fixed min, PF_Fixed max, PF_Fixed dephault) {
    Begin(PF_Param_FIX_SLIDER, name);
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
  PF_Err err = PF_Err_NONE;
  for (const SliderRow& row : kShapeSliders) {
    if ((err = add.Slider(row)) != PF_Err_NONE) return err;
  }
  for (const ColorRow& row : kColors) {
    if ((err = add.Color(row)) != PF_Err_NONE) return err;
  }
  for (const SliderRow& row : kPositionSliders) {
    if ((err = add.Slider(row)) != PF_Err_NONE) return err;
  }
  for (const CheckBoxRow& row : kCheckBoxes) {
    if ((err = add.CheckBox(row)) != PF_Err_NONE) return err;
  }
  if ((err = add.Angle("Fire Direction")) != PF_Err_NONE) return err;
  if ((err = add.FixedSlider("Phase", 0, 0x10000, 0)) != PF_Err_NONE) return err;

  out_data->num_params = kParamCount;
  return PF_Err_NONE;
}
