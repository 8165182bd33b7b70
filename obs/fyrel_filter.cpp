// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/fyrel_filter.h"

#include <memory>
#include <mutex>

// Before libobs's headers: on Windows the lock brings the system's headers, whose intrinsics
// must come before the portable ones libobs names the same.
#include "effect/instance_lock.h"

#include <obs-module.h>

#include "obs/gpu_frame.h"
#include "obs/obs_fire.h"
#include "obs/obs_params.h"

namespace {

constexpr const char* kFireAlone = "fire_alone";
constexpr const char* kRestart = "restart";

struct FyrelFilter {
  obs_source_t* context = nullptr;

  // Written by update and the restart button (the interface's thread), read by the render.
  InstanceLock mutex;
  EffectValues values = DefaultEffectValues();
  bool fireAlone = false;
  bool restart = false;

  // The graphics thread's own.
  bool stepDue = false;  // a frame was ticked since the fire last stepped
  std::unique_ptr<ObsFire> fire;
  GpuFrame gpu;
};

const char* FilterName(void*) { return obs_module_text("Fyrel"); }

void FilterUpdate(void* data, obs_data_t* settings) {
  auto* filter = static_cast<FyrelFilter*>(data);
  const EffectValues values = EffectValuesFrom(settings);
  const bool fireAlone = obs_data_get_bool(settings, kFireAlone);
  std::lock_guard<InstanceLock> lock(filter->mutex);
  filter->values = values;
  filter->fireAlone = fireAlone;
}

void* FilterCreate(obs_data_t* settings, obs_source_t* context) {
  auto* filter = new FyrelFilter;
  filter->context = context;
  FilterUpdate(filter, settings);
  return filter;
}

void FilterDestroy(void* data) {
  auto* filter = static_cast<FyrelFilter*>(data);
  obs_enter_graphics();
  filter->gpu.Release();
  obs_leave_graphics();
  delete filter;
}

void FilterDefaults(obs_data_t* settings) {
  SetFireDefaults(settings);
  obs_data_set_default_bool(settings, kFireAlone, false);
}

bool RestartClicked(obs_properties_t*, obs_property_t*, void* data) {
  auto* filter = static_cast<FyrelFilter*>(data);
  std::lock_guard<InstanceLock> lock(filter->mutex);
  filter->restart = true;
  return false;  // the properties stay as they are
}

obs_properties_t* FilterProperties(void*) {
  obs_properties_t* props = obs_properties_create();
  AddPresetList(props);
  obs_properties_add_bool(props, kFireAlone, obs_module_text("FireAlone"));
  AddFireProperties(props);
  obs_properties_add_button(props, kRestart, obs_module_text("Restart"), RestartClicked);
  return props;
}

// Libobs ticks every source once per frame of its video thread, whichever views show it: the
// fire steps at the first render after a tick, and every other view of that frame draws the
// same picture.
void FilterTick(void* data, float) { static_cast<FyrelFilter*>(data)->stepDue = true; }

// One frame of the fire from the target's picture, into the texture the filter draws. A new
// size, or the restart button, starts a new fire at frame 1.
bool StepFire(FyrelFilter* filter, uint32_t width, uint32_t height) {
  EffectValues values;
  bool fireAlone = false, restart = false;
  {
    std::lock_guard<InstanceLock> lock(filter->mutex);
    values = filter->values;
    fireAlone = filter->fireAlone;
    restart = filter->restart;
    filter->restart = false;
  }
  ObsFire* fire = filter->fire.get();
  if (restart || !fire || fire->Width() != width || fire->Height() != height) {
    filter->fire = ObsFire::Create(width, height);
    fire = filter->fire.get();
    if (!fire) return false;
  } else if (!filter->stepDue) {
    return true;  // this frame is already on the texture
  }
  filter->stepDue = false;
  return filter->gpu.Process(filter->context, width, height,
                             [&](const uint8_t* source, uint32_t sourceRowBytes, uint8_t* out,
                                 uint32_t outRowBytes) {
                               return fire->Step(source, sourceRowBytes, values, fireAlone,
                                                 out, outRowBytes);
                             });
}

void FilterRender(void* data, gs_effect_t*) {
  auto* filter = static_cast<FyrelFilter*>(data);
  obs_source_t* target = obs_filter_get_target(filter->context);
  obs_source_t* parent = obs_filter_get_parent(filter->context);
  const uint32_t width = target ? obs_source_get_base_width(target) : 0;
  const uint32_t height = target ? obs_source_get_base_height(target) : 0;
  if (!parent || width == 0 || height == 0 || !StepFire(filter, width, height)) {
    obs_source_skip_video_filter(filter->context);
    return;
  }
  filter->gpu.Draw();
}

}  // namespace

void RegisterFyrelFilter() {
  obs_source_info info = {};
  info.id = kFyrelFilterId;
  info.type = OBS_SOURCE_TYPE_FILTER;
  // sRGB-aware as the sources are: OBS then renders a source straight into the filter, through
  // the filter's own effect, with no texture of its own in between.
  info.output_flags = OBS_SOURCE_VIDEO | OBS_SOURCE_CUSTOM_DRAW | OBS_SOURCE_SRGB;
  info.get_name = FilterName;
  info.create = FilterCreate;
  info.destroy = FilterDestroy;
  info.update = FilterUpdate;
  info.get_defaults = FilterDefaults;
  info.get_properties = FilterProperties;
  info.video_tick = FilterTick;
  info.video_render = FilterRender;
  obs_register_source(&info);
}
