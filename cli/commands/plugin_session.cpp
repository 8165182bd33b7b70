// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's entry played by our own host (effect_session.h): a plug-in binary's `main`
// (--plugin), or the effect's own entry for its About text.
#include "cli/commands/effect_session.h"

#include <utility>
#include <vector>

#include "cli/platform/cli_error.h"
#include "effect/fire_over.h"
#include "host/effect_main.h"
#include "minihost/effect_host.h"

namespace {

// The linked-in entry when `path` is empty, else the plug-in's `main`.
PF_EffectEntry EntryOf(const std::string& path) {
  if (path.empty()) return &EffectMain;
  std::string error;
  PF_EffectEntry entry = LoadEffectPlugin(path, &error);
  if (!entry) throw CliError("cannot load the plug-in " + path + ": " + error);
  return entry;
}

// The value the table's row `row` keeps, read from the host's parameter as its kind holds it.
int32_t ValueOfParam(const EffectParam& row, const PF_ParamDef& param) {
  switch (row.kind) {
    case ParamKind::kColor: {
      const PF_Pixel& pixel = param.u.cd.value;
      return pixel.red << 16 | pixel.green << 8 | pixel.blue;
    }
    case ParamKind::kCheckBox: return param.u.bd.value;
    case ParamKind::kAngle: return param.u.ad.value;
    case ParamKind::kFraction: return param.u.fd.value;
    case ParamKind::kSlider: break;
  }
  return param.u.sd.value;
}

// A plug-in in our own host: its parameters set by display name, the source handed over as its
// input layer and its output world read back, as a compositing host does.
class PluginSession : public EffectSession {
 public:
  explicit PluginSession(PF_EffectEntry entry) : host_(entry) {
    const PF_Err err = host_.Start();
    if (err != PF_Err_NONE) {
      throw CliError("the effect refused to start (host error " + std::to_string(err) + ")");
    }
  }
  ~PluginSession() override { host_.Stop(); }

  void Apply(const std::vector<ParamSetting>& params, int32_t frame, bool keyedOnly) override {
    for (const ParamSetting& given : params) {
      if (keyedOnly && given.keys.empty()) continue;
      const ParamSetting setting = SettingAtFrame(given, frame);
      const bool known =
          setting.isColor
              ? host_.SetColor(setting.paramName, setting.red, setting.green, setting.blue)
              : host_.SetValue(setting.paramName, setting.value);
      if (!known) throw CliError("the effect has no parameter \"" + setting.paramName + "\"");
    }
  }

  std::string Render(int32_t frame, const uint8_t* sourceRgba, const PixelView& output,
                     bool over) override {
    const int32_t width = output.width, height = output.height;
    if (width != host_.FrameWidth() || height != host_.FrameHeight()) {
      host_.SetFrame(width, height);
    }
    host_.SetInputRgba(sourceRgba, width, height);
    PF_Err err = host_.FrameSetup();
    if (err == PF_Err_NONE) err = host_.Render(frame);
    if (err != PF_Err_NONE) {
      return "the effect failed to render frame " + std::to_string(frame) +
             (err == PF_Err_OUT_OF_MEMORY ? ": out of memory" : "") + " (host error " +
             std::to_string(err) + ")";
    }
    if (!over && output.layout == PixelLayout::kRgba) {
      host_.OutputRgba(output.top);
      return "";
    }
    // Read back beside the output, then laid over the source, or over black.
    rgba_.resize(static_cast<size_t>(width) * height * 4);
    host_.OutputRgba(rgba_.data());
    const ConstPixelView source = over && sourceRgba
                                      ? PackedView(sourceRgba, width, height, PixelLayout::kRgba)
                                      : ConstPixelView{};
    LayOver(PackedView(std::as_const(rgba_).data(), width, height, PixelLayout::kRgba), source,
            output);
    return "";
  }

  EffectValues Values() const override {
    if (host_.ParamCount() < kParamCount) {
      throw CliError("the effect declares " + std::to_string(host_.ParamCount() - 1) +
                     " parameters; the viewer reads them by position up to " +
                     std::to_string(kParamCount - 1));
    }
    EffectValues values{};
    for (const EffectParam& row : EffectParams()) {
      values[row.position - 1] = ValueOfParam(row, host_.Param(row.position));
    }
    return values;
  }

 private:
  EffectHost host_;
  std::vector<uint8_t> rgba_;  // the plug-in's output, where it is laid over something
};

}  // namespace

std::unique_ptr<EffectSession> StartPlugin(const std::string& path) {
  return std::make_unique<PluginSession>(EntryOf(path));
}

std::string EffectAboutText(const std::string& pluginPath) {
  EffectHost host(EntryOf(pluginPath));
  std::string text;
  const PF_Err err = host.About(&text);
  if (err != PF_Err_NONE) {
    throw CliError("the effect's About command failed (host error " + std::to_string(err) + ")");
  }
  return text;
}
