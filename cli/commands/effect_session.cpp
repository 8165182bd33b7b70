// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands/effect_session.h"

#include "cli/platform/cli_error.h"
#include "host/effect_main.h"

PF_EffectEntry ChooseEffectEntry(const std::string& pluginPath) {
  if (pluginPath.empty()) return &EffectMain;
  std::string error;
  PF_EffectEntry entry = LoadEffectPlugin(pluginPath, &error);
  if (!entry) throw CliError("cannot load the plug-in " + pluginPath + ": " + error);
  return entry;
}

void ApplyParamSettings(EffectHost& host, const std::vector<ParamSetting>& params,
                        int32_t frame, bool keyedOnly) {
  for (const ParamSetting& given : params) {
    if (keyedOnly && given.keys.empty()) continue;
    const ParamSetting setting = SettingAtFrame(given, frame);
    bool known = setting.isColor
                     ? host.SetColor(setting.paramName, setting.red, setting.green, setting.blue)
                     : host.SetValue(setting.paramName, setting.value);
    if (!known) throw CliError("the effect has no parameter \"" + setting.paramName + "\"");
  }
}

std::unique_ptr<EffectHost> StartEffect(PF_EffectEntry entry,
                                        const std::vector<ParamSetting>& params, int32_t frame) {
  auto host = std::make_unique<EffectHost>(entry);
  PF_Err err = host->Start();
  if (err != PF_Err_NONE) {
    throw CliError("the effect refused to start (host error " + std::to_string(err) + ")");
  }
  ApplyParamSettings(*host, params, frame, false);
  return host;
}
