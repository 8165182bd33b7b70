// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/command_handlers.h"
#include "host/viewer_values.h"
#include "viewer/viewer_settings.h"

PF_Err GlobalSetupCommand(FlameState& flame, PF_InData* in_data, PF_OutData* out_data,
                          PF_ParamDef* params[]) {
  void* mainWindow = nullptr;
  // Without the host's main window the viewer opens without an owner.
  in_data->utils->get_platform_data(in_data->effect_ref, PF_PlatData_MAIN_WND, &mainWindow);

  out_data->my_version = kEffectVersion;
  out_data->out_flags |= kEffectOutFlags;
  if (!params) return PF_Err_NONE;

  // Copies of the twelve values the viewer is shown, kept for as long as it is open.
  const ViewerValues copy = ViewerValuesFromParams(params);
  const ViewerSettings settings = SettingsReferringTo(copy);
  viewerLauncher(moduleInstance, mainWindow, &settings, flame);
  return PF_Err_NONE;
}
