// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_describe.h"

#include <cstring>

#include "fyrel_version.h"
#include "ofx/fire_params.h"
#include "ofx/ofx_host.h"
#include "ofx/ofx_presets.h"
#include "ofx/ofx_props.h"

namespace {

constexpr const char* kLabel = "ZEL Fyrel";
constexpr const char* kGrouping = "ZEL Plug-ins";
constexpr const char* kDescription =
    "Fire that rises from the brightness of the source. Heat spreads, cools and drifts in eight "
    "directions. Frame t is the same fire in whatever order frames are asked. GPL-2.0-or-later.";
constexpr const char* kPageName = "controls";

OfxStatus DefineClip(OfxImageEffectHandle descriptor, const char* name, bool temporal) {
  OfxPropertySetHandle handle = nullptr;
  if (HostSuites().effects->clipDefine(descriptor, name, &handle) != ofx::kStatOK || !handle) {
    return ofx::kStatFailed;
  }
  const OfxProps clip(handle);
  clip.SetStrings(ofx::kSupportedComponents, {ofx::kComponentRGBA});
  clip.SetInt(ofx::kSupportsTiles, 0);
  if (temporal) clip.SetInt(ofx::kTemporalClipAccess, 1);
  return ofx::kStatOK;
}

OfxStatus DefineParam(OfxParamSetHandle set, const char* type, const char* name, const char* label,
                      OfxProps* props) {
  OfxPropertySetHandle handle = nullptr;
  if (HostSuites().params->paramDefine(set, type, name, &handle) != ofx::kStatOK || !handle) {
    return ofx::kStatFailed;
  }
  *props = OfxProps(handle);
  props->SetString(ofx::kPropLabel, label);
  props->SetString(ofx::kParamPropScriptName, name);
  return ofx::kStatOK;
}

const char* ParamType(FireParamKind kind) {
  switch (kind) {
    case FireParamKind::kInteger: return ofx::kParamTypeInteger;
    case FireParamKind::kBoolean: return ofx::kParamTypeBoolean;
    case FireParamKind::kColor: return ofx::kParamTypeRGB;
    case FireParamKind::kAngle: break;
  }
  return ofx::kParamTypeDouble;
}

// Default, valid range and slider range, each of the parameter's own type and dimension.
void SetRanges(const FireParam& param, const OfxProps& props) {
  switch (param.kind) {
    case FireParamKind::kInteger:
      props.SetInt(ofx::kParamPropDefault, static_cast<int>(param.dephault[0]));
      for (const char* name : {ofx::kParamPropMin, ofx::kParamPropDisplayMin}) {
        props.SetInt(name, param.min);
      }
      for (const char* name : {ofx::kParamPropMax, ofx::kParamPropDisplayMax}) {
        props.SetInt(name, param.max);
      }
      break;
    case FireParamKind::kBoolean:
      props.SetInt(ofx::kParamPropDefault, static_cast<int>(param.dephault[0]));
      break;
    case FireParamKind::kColor: {
      const double zeros[3] = {0, 0, 0}, ones[3] = {1, 1, 1};
      props.SetDoubles(ofx::kParamPropDefault, param.dephault, 3);
      for (const char* name : {ofx::kParamPropMin, ofx::kParamPropDisplayMin}) {
        props.SetDoubles(name, zeros, 3);
      }
      for (const char* name : {ofx::kParamPropMax, ofx::kParamPropDisplayMax}) {
        props.SetDoubles(name, ones, 3);
      }
      break;
    }
    case FireParamKind::kAngle:
      props.SetString(ofx::kParamPropDoubleType, ofx::kParamDoubleTypeAngle);
      props.SetDouble(ofx::kParamPropDefault, param.dephault[0]);
      props.SetDouble(ofx::kParamPropMin, param.min);
      props.SetDouble(ofx::kParamPropMax, param.max);
      props.SetDouble(ofx::kParamPropDisplayMin, 0.0);
      props.SetDouble(ofx::kParamPropDisplayMax, 360.0);
      props.SetDouble(ofx::kParamPropIncrement, 1.0);
      props.SetInt(ofx::kParamPropDigits, 2);
      break;
  }
}

OfxStatus DefineParams(OfxImageEffectHandle descriptor) {
  OfxParamSetHandle set = nullptr;
  if (HostSuites().effects->getParamSet(descriptor, &set) != ofx::kStatOK || !set) {
    return ofx::kStatFailed;
  }
  OfxProps page(nullptr);
  if (DefineParam(set, ofx::kParamTypePage, kPageName, "Controls", &page) != ofx::kStatOK) {
    return ofx::kStatFailed;
  }
  int pageChildren = 0;
  // The preset choice first, above the parameters it sets.
  if (DefinePresetChoice(set) != ofx::kStatOK) return ofx::kStatFailed;
  page.SetString(ofx::kParamPropPageChild, kPresetParamName, pageChildren++);
  for (int group = 0; group < kFireGroupCount; ++group) {
    const FireGroup& g = FireGroups()[group];
    OfxProps props(nullptr);
    if (DefineParam(set, ofx::kParamTypeGroup, g.scriptName, g.label, &props) != ofx::kStatOK) {
      return ofx::kStatFailed;
    }
    page.SetString(ofx::kParamPropPageChild, g.scriptName, pageChildren++);
    for (const FireParam& param : FireParams()) {
      if (param.group != group) continue;
      if (DefineParam(set, ParamType(param.kind), param.scriptName, param.label, &props) !=
          ofx::kStatOK) {
        return ofx::kStatFailed;
      }
      props.SetString(ofx::kParamPropHint, param.hint);
      props.SetString(ofx::kParamPropParent, g.scriptName);
      SetRanges(param, props);
      page.SetString(ofx::kParamPropPageChild, param.scriptName, pageChildren++);
    }
  }
  return ofx::kStatOK;
}

}  // namespace

OfxStatus DescribeEffect(OfxImageEffectHandle descriptor) {
  OfxPropertySetHandle handle = nullptr;
  if (HostSuites().effects->getPropertySet(descriptor, &handle) != ofx::kStatOK || !handle) {
    return ofx::kStatFailed;
  }
  const OfxProps effect(handle);
  effect.SetString(ofx::kPropLabel, kLabel);
  effect.SetString(ofx::kPropLongLabel, kLabel);
  effect.SetString(ofx::kPluginPropGrouping, kGrouping);
  effect.SetString(ofx::kPropPluginDescription, kDescription);
  effect.SetInts(ofx::kPropVersion, {FYREL_VERSION_MAJOR, FYREL_VERSION_MINOR});
  effect.SetString(ofx::kPropVersionLabel, FYREL_VERSION_SHORT);
  effect.SetStrings(ofx::kSupportedContexts, {ofx::kContextFilter});
  effect.SetStrings(ofx::kSupportedPixelDepths, {ofx::kBitDepthByte, ofx::kBitDepthFloat});
  effect.SetInt(ofx::kSingleInstance, 0);
  // Instances share nothing that a render changes; one instance renders one frame at a time,
  // whole: the fire is one simulation over the full frame.
  effect.SetString(ofx::kRenderThreadSafety, ofx::kRenderInstanceSafe);
  effect.SetInt(ofx::kHostFrameThreading, 0);
  effect.SetInt(ofx::kSupportsTiles, 0);
  effect.SetInt(ofx::kSupportsMultiResolution, 0);
  effect.SetInt(ofx::kSupportsMultipleClipDepths, 0);
  effect.SetInt(ofx::kFieldRenderTwiceAlways, 0);
  // Frame t replays earlier source frames when it is asked for out of order; in order, each
  // frame costs one step of the fire.
  effect.SetInt(ofx::kTemporalClipAccess, 1);
  effect.SetInt(ofx::kSequentialRender, 2);
  return ofx::kStatOK;
}

OfxStatus DescribeEffectInContext(OfxImageEffectHandle descriptor, OfxPropertySetHandle inArgs) {
  const char* context = nullptr;
  if (!inArgs || !OfxProps(inArgs).GetString(ofx::kContext, &context) ||
      std::strcmp(context, ofx::kContextFilter) != 0) {
    return ofx::kStatErrMissingHostFeature;
  }
  if (DefineClip(descriptor, ofx::kSourceClip, true) != ofx::kStatOK ||
      DefineClip(descriptor, ofx::kOutputClip, false) != ofx::kStatOK) {
    return ofx::kStatFailed;
  }
  return DefineParams(descriptor);
}
