#include "flame/flame_palette.h"
#include "host/effect_main.h"
#include "host/param_positions.h"
#include "viewer/viewer_settings.h"

namespace {

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }

FlameColor ColorOf(const PF_ParamDef* param) {
  const PF_Pixel& pixel = param->u.cd.value;
  return MakeFlameColor(pixel.red, pixel.green, pixel.blue);
}

// Copies of the twelve values the viewer is shown, kept for as long as it is open.
struct ViewerValues {
  uint8_t height, soot, width, amplitude;
  FlameColor color1, color2, color3, color4;
  uint8_t velocity, color2Position, color3Position, customColor;
};

void OpenViewer(PF_ParamDef* params[], void* ownerWindow) {
  ViewerValues copy;
  copy.height = LowByte(params[kParamHeight]->u.sd.value);
  copy.soot = LowByte(params[kParamSoot]->u.sd.value);
  copy.width = LowByte(params[kParamWidth]->u.sd.value);
  copy.amplitude = LowByte(params[kParamAmplitude]->u.sd.value);
  copy.color1 = ColorOf(params[kParamColor1]);
  copy.color2 = ColorOf(params[kParamColor2]);
  copy.color3 = ColorOf(params[kParamColor3]);
  copy.color4 = ColorOf(params[kParamColor4]);
  copy.velocity = LowByte(params[kParamVelocity]->u.sd.value);
  copy.color2Position = LowByte(params[kParamColor2Position]->u.sd.value);
  copy.color3Position = LowByte(params[kParamColor3Position]->u.sd.value);
  copy.customColor = LowByte(params[kParamCustomColor]->u.bd.value);

  const ViewerSettings settings = {
      &copy.height, &copy.soot,   &copy.width,    &copy.amplitude,      &copy.color1,
      &copy.color2, &copy.color3, &copy.color4,   &copy.velocity,       &copy.color2Position,
      &copy.color3Position,       &copy.customColor,
  };
  viewerLauncher(moduleInstance, ownerWindow, &settings);
}

}  // namespace

PF_Err GlobalSetupCommand(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  void* mainWindow = nullptr;
  // Without the host's main window the viewer opens without an owner.
  in_data->utils->get_platform_data(in_data->effect_ref, PF_PlatData_MAIN_WND, &mainWindow);

  out_data->my_version = kEffectVersion;
  out_data->out_flags |= kEffectOutFlags;
  if (!params) return PF_Err_NONE;

  OpenViewer(params, mainWindow);
  return PF_Err_NONE;
}
