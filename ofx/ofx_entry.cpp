// SPDX-License-Identifier: GPL-2.0-or-later
// The plug-in's two exported functions and its main entry: every action a host sends arrives
// in MainEntry and goes to its handler; an action the plug-in does not handle gets "reply
// default", so the host does what it does by default.
#include <cstring>
#include <new>

#include "ofx/ofx_api.h"
#include "ofx/ofx_describe.h"
#include "ofx/ofx_host.h"
#include "ofx/ofx_instance.h"
#include "ofx/ofx_props.h"

#if defined(_WIN32)
#define FYREL_OFX_EXPORT extern "C" __declspec(dllexport)
#else
#define FYREL_OFX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

void SetHost(OfxHost* host) { SetOfxHost(host); }

bool Is(const char* action, const char* name) { return std::strcmp(action, name) == 0; }

OfxStatus ClipPreferences(OfxPropertySetHandle outArgs) {
  const OfxProps out(outArgs);
  // The fire's colours are straight, and it moves on a still source.
  out.SetString(ofx::kPreMultiplication, ofx::kUnPreMultiplied);
  out.SetInt(ofx::kFrameVarying, 1);
  return ofx::kStatOK;
}

// The instance actions the plug-in handles, in the order InstanceAction tries them.
constexpr const char* kInstanceActions[] = {
    ofx::kActionCreateInstance,  ofx::kActionDestroyInstance, ofx::kActionGetClipPreferences,
    ofx::kActionRender,          ofx::kActionGetFramesNeeded, ofx::kActionInstanceChanged,
    ofx::kActionPurgeCaches,
};

bool IsInstanceAction(const char* action) {
  for (const char* name : kInstanceActions) {
    if (Is(action, name)) return true;
  }
  return false;
}

OfxStatus InstanceAction(const char* action, OfxImageEffectHandle effect,
                         OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
  if (Is(action, ofx::kActionCreateInstance)) return OfxFireInstance::Create(effect);
  if (Is(action, ofx::kActionDestroyInstance)) return OfxFireInstance::Destroy(effect);
  if (Is(action, ofx::kActionGetClipPreferences)) return ClipPreferences(outArgs);
  OfxFireInstance* instance = OfxFireInstance::Of(effect);
  if (!instance) return ofx::kStatErrBadHandle;
  if (Is(action, ofx::kActionRender)) return instance->Render(inArgs);
  if (Is(action, ofx::kActionGetFramesNeeded)) return instance->FramesNeeded(inArgs, outArgs);
  if (Is(action, ofx::kActionInstanceChanged)) return instance->InstanceChanged(inArgs);
  return instance->PurgeCaches();
}

OfxStatus MainEntry(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                    OfxPropertySetHandle outArgs) {
  if (!action) return ofx::kStatReplyDefault;
  try {
    if (Is(action, ofx::kActionLoad)) return LoadHostSuites();
    if (Is(action, ofx::kActionUnload)) {
      UnloadHostSuites();
      return ofx::kStatOK;
    }
    const bool describe = Is(action, ofx::kActionDescribe);
    const bool describeInContext = Is(action, ofx::kActionDescribeInContext);
    if (!describe && !describeInContext && !IsInstanceAction(action)) {
      return ofx::kStatReplyDefault;
    }
    // Everything else needs the suites, and the effect's handle.
    if (!HostSuites().props) return ofx::kStatFailed;
    auto effect = static_cast<OfxImageEffectHandle>(const_cast<void*>(handle));
    if (!effect) return ofx::kStatErrBadHandle;
    if (describe) return DescribeEffect(effect);
    if (describeInContext) return DescribeEffectInContext(effect, inArgs);
    return InstanceAction(action, effect, inArgs, outArgs);
  } catch (const std::bad_alloc&) {
    // Nothing may leave the plug-in as an exception: the host is C.
    return ofx::kStatErrMemory;
  } catch (...) {
    return ofx::kStatErrFatal;
  }
}

OfxPlugin plugin = {
    ofx::kImageEffectPluginApi,
    1,
    "example.zel-plugins.Fyrel",
    2,
    2,
    SetHost,
    MainEntry,
};

}  // namespace

FYREL_OFX_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }

FYREL_OFX_EXPORT OfxPlugin* OfxGetPlugin(int nth) { return nth == 0 ? &plugin : nullptr; }
