// SPDX-License-Identifier: GPL-2.0-or-later
// The frei0r entry points of fyrel.so. Every instance is a fire of its own, sharing nothing
// with the others, so hosts may drive different instances from different threads at once; one
// instance is driven from one thread at a time, as frei0r hosts do. The effect's results
// depend on the floating-point environment, which a host may have changed: each call that
// reaches the effect runs in the default one and gives the host's back on return.

#include "frei0r/frei0r_api.h"
#include "fyrel_version.h"
#include "frei0r/frei0r_params.h"
#include "frei0r/fyrel_instance.h"
#include "effect/float_environment.h"

namespace {

constexpr const char* kExplanation =
    "Fire drawn from the brightness of the input. Sliders 0..1 map to min + round(v*(max-min)) "
    "of their integer range, the angle 0..1 to 0..360 degrees, colour components to "
    "round(c*255). Free software, GPL-2.0-or-later.";

FyrelInstance* AsInstance(f0r_instance_t instance) { return static_cast<FyrelInstance*>(instance); }

}  // namespace

extern "C" {

int f0r_init() { return 1; }

void f0r_deinit() {}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  if (!info) return;
  info->name = "fyrel";
  info->author = "ZEL";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = FYREL_VERSION_MAJOR;
  info->minor_version = FYREL_VERSION_MINOR;
  info->num_params = kFrei0rParamCount;
  info->explanation = kExplanation;
}

void f0r_get_param_info(f0r_param_info_t* info, int param_index) {
  const Frei0rParam* param = Frei0rParamAt(param_index);
  if (!info || !param) return;
  info->name = param->name;
  info->type = Frei0rType(param->kind);
  info->explanation = param->explanation;
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  DefaultFloatEnvironment call;
  try {
    return FyrelInstance::Create(width, height).release();
  } catch (...) {
    return nullptr;
  }
}

void f0r_destruct(f0r_instance_t instance) {
  DefaultFloatEnvironment call;
  delete AsInstance(instance);
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
  if (!instance) return;
  DefaultFloatEnvironment call;
  AsInstance(instance)->SetParam(param_index, param);
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
  if (!instance) return;
  DefaultFloatEnvironment call;
  AsInstance(instance)->GetParam(param_index, param);
}

void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe,
                uint32_t* outframe) {
  if (!instance) return;
  DefaultFloatEnvironment call;
  try {
    AsInstance(instance)->Update(time, inframe, outframe);
  } catch (...) {
    // Only the first frame allocates; without memory the frame stays as the host gave it.
  }
}

void f0r_update2(f0r_instance_t instance, double time, const uint32_t* inframe1,
                 const uint32_t* /*inframe2*/, const uint32_t* /*inframe3*/,
                 uint32_t* outframe) {
  f0r_update(instance, time, inframe1, outframe);
}

}  // extern "C"
