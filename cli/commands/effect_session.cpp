// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands/effect_session.h"

#include "cli/platform/cli_error.h"

namespace {

// The effect linked in: one Fire, its values set by the table's index, reading the source and
// writing the output where they lie.
class FireSession : public EffectSession {
 public:
  void Apply(const std::vector<ParamSetting>& params, int32_t frame, bool keyedOnly) override {
    for (const ParamSetting& given : params) {
      if (keyedOnly && given.keys.empty()) continue;
      if (given.position < 1 || given.position >= kParamCount) {
        throw CliError("the effect has no parameter \"" + given.paramName + "\"");
      }
      const ParamSetting setting = SettingAtFrame(given, frame);
      fire_.SetValue(setting.position,
                     setting.isColor ? setting.red << 16 | setting.green << 8 | setting.blue
                                     : setting.value);
    }
  }

  std::string Render(int32_t frame, const uint8_t* sourceRgba, const PixelView& output,
                     bool over) override {
    const ConstPixelView source =
        sourceRgba ? PackedView(sourceRgba, output.width, output.height, PixelLayout::kRgba)
                   : ConstPixelView{};
    if (over ? fire_.RenderOver(frame, source, output) : fire_.Render(frame, source, output)) {
      return "";
    }
    return "the effect failed to render frame " + std::to_string(frame) + ": out of memory";
  }

  EffectValues Values() const override { return fire_.Values(); }

 private:
  Fire fire_;
};

}  // namespace

std::unique_ptr<EffectSession> StartEffect(const std::string& pluginPath,
                                           const std::vector<ParamSetting>& params,
                                           int32_t frame) {
  std::unique_ptr<EffectSession> session =
      pluginPath.empty() ? std::make_unique<FireSession>() : StartPlugin(pluginPath);
  session->Apply(params, frame, false);
  return session;
}
