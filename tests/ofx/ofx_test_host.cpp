// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/ofx/ofx_test_host.h"

#include <cmath>
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <mutex>
#endif

#include "tests/windows/wine_path.h"

namespace ofxtest {

Host* Host::current = nullptr;

namespace {

// The host is entered from the plug-in's render threads at once.
// Held again by a suite function that calls another.
#if defined(_WIN32)
CRITICAL_SECTION& HostLock() {
  static struct Lock {
    Lock() { InitializeCriticalSection(&section); }
    CRITICAL_SECTION section;
  } lock;
  return lock.section;
}
struct Hold {
  Hold() { EnterCriticalSection(&HostLock()); }
  ~Hold() { LeaveCriticalSection(&HostLock()); }
};
#else
std::recursive_mutex hostLock;
struct Hold {
  std::lock_guard<std::recursive_mutex> hold{hostLock};
};
#endif

// ---- Names and types, as the interface gives them ----

const char* const kPropertyTypes =
    "s:OfxPropType s:OfxPropName s:OfxPropLabel s:OfxPropShortLabel s:OfxPropLongLabel "
    "s:OfxPropPluginDescription s:OfxPropVersionLabel s:OfxImageEffectPluginPropGrouping "
    "s:OfxImageEffectPropSupportedContexts s:OfxImageEffectPropSupportedPixelDepths "
    "s:OfxImageEffectPropSupportedComponents s:OfxImageEffectPluginRenderThreadSafety "
    "s:OfxImageEffectPropClipPreferencesSlaveParam s:OfxPluginPropFilePath s:OfxPropIcon "
    "s:OfxPluginPropParamPageOrder s:OfxImageClipPropFieldExtraction "
    "s:OfxImageEffectPropPixelDepth s:OfxImageEffectPropComponents "
    "s:OfxImageClipPropUnmappedPixelDepth s:OfxImageClipPropUnmappedComponents "
    "s:OfxImageEffectPropPreMultiplication s:OfxImageClipPropFieldOrder "
    "s:OfxImageEffectPropContext s:OfxImageEffectPropFieldToRender s:OfxPropChangeReason "
    "s:OfxImagePropField s:OfxImagePropUniqueIdentifier s:OfxParamPropType "
    "s:OfxParamPropScriptName s:OfxParamPropHint s:OfxParamPropDoubleType s:OfxParamPropParent "
    "s:OfxParamPropChoiceOption s:OfxParamPropCacheInvalidation s:OfxParamPropDimensionLabel "
    "s:OfxParamPropPageChild s:OfxImageEffectHostPropNativeOrigin "
    "i:OfxPropAPIVersion i:OfxPropVersion i:OfxImageEffectHostPropIsBackground "
    "i:OfxImageEffectPropSupportsOverlays i:OfxImageEffectPropSupportsMultiResolution "
    "i:OfxImageEffectPropSupportsTiles i:OfxImageEffectPropTemporalClipAccess "
    "i:OfxImageEffectPropMultipleClipDepths i:OfxImageEffectPropSupportsMultipleClipPARs "
    "i:OfxImageEffectInstancePropSequentialRender i:OfxImageEffectPropRenderQualityDraft "
    "i:OfxParamHostPropMaxParameters i:OfxImageEffectPluginPropSingleInstance "
    "i:OfxImageEffectPluginPropHostFrameThreading "
    "i:OfxImageEffectPluginPropFieldRenderTwiceAlways i:OfxImageClipPropOptional "
    "i:OfxImageClipPropIsMask i:OfxImageClipPropConnected i:OfxImageClipPropContinuousSamples "
    "i:OfxImageEffectFrameVarying i:OfxPropIsInteractive i:OfxImageEffectPropRenderWindow "
    "i:OfxImageEffectPropSequentialRenderStatus i:OfxImageEffectPropInteractiveRenderStatus "
    "i:OfxImagePropBounds i:OfxImagePropRegionOfDefinition i:OfxImagePropRowBytes "
    "i:OfxParamPropDigits i:OfxParamPropAnimates i:OfxParamPropEvaluateOnChange "
    "i:OfxParamPropPersistant i:OfxParamPropSecret i:OfxParamPropEnabled "
    "d:OfxImagePropPixelAspectRatio d:OfxImageEffectPropFrameRate d:OfxImageEffectPropFrameRange "
    "d:OfxImageEffectPropUnmappedFrameRange d:OfxImageEffectPropProjectSize "
    "d:OfxImageEffectPropProjectOffset d:OfxImageEffectPropProjectExtent "
    "d:OfxImageEffectPropPixelAspectRatio d:OfxImageEffectInstancePropEffectDuration "
    "d:OfxPropTime d:OfxImageEffectPropRenderScale d:OfxImageEffectPropFrameStep "
    "d:OfxImageEffectPropRegionOfDefinition d:OfxImageEffectPropRegionOfInterest "
    "d:OfxParamPropIncrement p:OfxPropInstanceData p:OfxImagePropData p:OfxPropHostOSHandle "
    "p:OfxImageEffectPropPluginHandle p:OfxParamPropDataPtr "
    // Of the parameter's own type; made by paramDefine.
    "v:OfxParamPropDefault v:OfxParamPropMin v:OfxParamPropMax v:OfxParamPropDisplayMin "
    "v:OfxParamPropDisplayMax "
    // Action arguments named after a clip.
    "s:OfxImageClipPropComponents_ s:OfxImageClipPropDepth_ d:OfxImageClipPropPAR_ "
    "d:OfxImageClipPropRoI_ d:OfxImageClipPropFrameRange_";

const std::map<std::string, char>& PropertyTypes() {
  static const std::map<std::string, char> types = [] {
    std::map<std::string, char> result;
    std::istringstream words(kPropertyTypes);
    std::string word;
    while (words >> word) result[word.substr(2)] = word[0];
    return result;
  }();
  return types;
}

constexpr const char* kFilter = "OfxImageEffectContextFilter";
constexpr size_t kGuard = 64;
constexpr unsigned char kFill = 0xA5;

Host& H() { return *Host::current; }
PropertySet* Set(void* handle) { return static_cast<PropertySet*>(handle); }

// ---- Property suite ----

template <typename T>
std::vector<T>& Values(Property& p);
template <> std::vector<std::string>& Values(Property& p) { return p.strings; }
template <> std::vector<int>& Values(Property& p) { return p.ints; }
template <> std::vector<double>& Values(Property& p) { return p.doubles; }
template <> std::vector<void*>& Values(Property& p) { return p.pointers; }

template <typename T>
Status SetValue(void* handle, const char* name, int index, T value, char type) {
  Hold hold;
  if (!handle || !name) return kErrBadHandle;
  const char known = PropertyType(name);
  auto it = Set(handle)->values.find(name);
  if (known == 0 || (known == 'v' && it == Set(handle)->values.end())) {
    H().Fault(std::string("set of a property the interface does not have: ") + name);
    return kErrUnknown;
  }
  Property& p = Set(handle)->values[name];
  if (p.type == 0) p.type = type;
  if (p.type != type) {
    H().Fault(std::string("set of ") + name + " with the wrong type " + type);
    return kErrValue;
  }
  std::vector<T>& values = Values<T>(p);
  if (index < 0 || static_cast<size_t>(index) > values.size()) return kErrBadIndex;
  if (static_cast<size_t>(index) == values.size()) {
    values.push_back(value);
  } else {
    values[index] = value;
  }
  return kOK;
}

template <typename T>
Status GetValue(void* handle, const char* name, int index, T* value, char type) {
  Hold hold;
  if (!handle || !name || !value) return kErrBadHandle;
  if (PropertyType(name) == 0) {
    H().Fault(std::string("get of a property the interface does not have: ") + name);
    return kErrUnknown;
  }
  auto it = Set(handle)->values.find(name);
  if (it == Set(handle)->values.end()) return kErrUnknown;
  if (it->second.type != type) {
    H().Fault(std::string("get of ") + name + " with the wrong type " + type);
    return kErrValue;
  }
  std::vector<T>& values = Values<T>(it->second);
  if (index < 0 || static_cast<size_t>(index) >= values.size()) return kErrBadIndex;
  *value = values[index];
  return kOK;
}

Status PropSetPointer(void* h, const char* n, int i, void* v) { return SetValue(h, n, i, v, 'p'); }
Status PropSetString(void* h, const char* n, int i, const char* v) {
  return SetValue(h, n, i, std::string(v ? v : ""), 's');
}
Status PropSetDouble(void* h, const char* n, int i, double v) { return SetValue(h, n, i, v, 'd'); }
Status PropSetInt(void* h, const char* n, int i, int v) { return SetValue(h, n, i, v, 'i'); }
Status PropGetPointer(void* h, const char* n, int i, void** v) { return GetValue(h, n, i, v, 'p'); }
Status PropGetString(void* h, const char* n, int i, char** v) {
  Hold hold;
  std::string text;
  const Status s = GetValue(h, n, i, &text, 's');
  if (s != kOK) return s;
  // Host-owned: it stays while the property does.
  *v = const_cast<char*>(Set(h)->values[n].strings[i].c_str());
  return kOK;
}
Status PropGetDouble(void* h, const char* n, int i, double* v) { return GetValue(h, n, i, v, 'd'); }
Status PropGetInt(void* h, const char* n, int i, int* v) { return GetValue(h, n, i, v, 'i'); }
// ---- Image effect suite ----

Effect* AsEffect(void* handle) { return static_cast<Effect*>(handle); }

Status GetPropertySet(void* effect, void** props) {
  if (!effect || !props) return kErrBadHandle;
  *props = &AsEffect(effect)->props;
  return kOK;
}
Status GetParamSet(void* effect, void** set) {
  if (!effect || !set) return kErrBadHandle;
  *set = effect;  // the effect is its own parameter set
  return kOK;
}
Status ClipDefine(void* effect, const char* name, void** props) {
  Hold hold;
  auto clip = std::make_unique<Clip>();
  clip->effect = AsEffect(effect);
  clip->name = name;
  clip->props.SetString("OfxPropType", {"OfxTypeClip"});
  clip->props.SetString("OfxPropName", {name});
  clip->props.SetInt("OfxImageEffectPropSupportsTiles", {1});
  clip->props.SetInt("OfxImageEffectPropTemporalClipAccess", {0});
  clip->props.SetInt("OfxImageClipPropOptional", {0});
  clip->props.SetString("OfxImageEffectPropSupportedComponents", {});
  *props = &clip->props;
  AsEffect(effect)->clips[name] = std::move(clip);
  return kOK;
}
Status ClipGetHandle(void* effect, const char* name, void** clip, void** props) {
  Hold hold;
  auto it = AsEffect(effect)->clips.find(name ? name : "");
  if (it == AsEffect(effect)->clips.end()) return kErrUnknown;
  *clip = it->second.get();
  if (props) *props = &it->second->props;
  return kOK;
}
Status ClipGetPropertySet(void* clip, void** props) {
  if (!clip) return kErrBadHandle;
  *props = &static_cast<Clip*>(clip)->props;
  return kOK;
}
Status ClipGetImage(void* clip, double time, const void* /*region*/, void** image) {
  if (!clip || !image) return kErrBadHandle;
  Image* made = nullptr;
  const Status s = H().NewImage(static_cast<Clip*>(clip), time, &made);
  *image = made ? &made->props : nullptr;
  return s;
}
Status ClipReleaseImage(void* image) {
  // The property set is the image's first member.
  H().ReleaseImage(reinterpret_cast<Image*>(image));
  return kOK;
}
Status ClipGetRegionOfDefinition(void* clip, double, double* rect) {
  const Scene& scene = H().SceneOf(static_cast<Clip*>(clip)->effect);
  const std::array<int, 4> r = Region(scene, static_cast<Clip*>(clip)->name == "Output" ? scene.output : scene.source);
  for (int i = 0; i < 4; ++i) rect[i] = r[i];
  return kOK;
}
int Abort(void*) { return 0; }
Status Unsupported() { return kErrUnsupported; }

// ---- Parameter suite ----

Param* AsParam(void* handle) { return static_cast<Param*>(handle); }

Status ParamDefine(void* set, const char* type, const char* name, void** props) {
  Hold hold;
  Effect& effect = *AsEffect(set);
  if (effect.params.count(name)) return 6;  // exists
  auto param = std::make_unique<Param>();
  param->type = type;
  PropertySet& p = param->props;
  p.SetString("OfxPropType", {"OfxTypeParameter"});
  p.SetString("OfxParamPropType", {type});
  p.SetString("OfxPropName", {name});
  p.SetString("OfxParamPropScriptName", {name});
  p.SetString("OfxPropLabel", {name});
  p.SetString("OfxParamPropParent", {""});
  p.SetString("OfxParamPropHint", {""});
  p.SetInt("OfxParamPropAnimates", {1});
  const std::string t = type;
  const size_t n = t == "OfxParamTypeRGB" ? 3 : 1;
  for (const char* name : {"OfxParamPropDefault", "OfxParamPropMin", "OfxParamPropMax",
                           "OfxParamPropDisplayMin", "OfxParamPropDisplayMax"}) {
    if (t == "OfxParamTypeInteger" || t == "OfxParamTypeBoolean" || t == "OfxParamTypeChoice") {
      p.SetInt(name, std::vector<int>(n, 0));
    } else if (t == "OfxParamTypeRGB" || t == "OfxParamTypeDouble") {
      p.SetDouble(name, std::vector<double>(n, 0.0));
    }
  }
  if (t == "OfxParamTypePage") p.SetString("OfxParamPropPageChild", {});
  *props = &p;
  effect.paramOrder.push_back(name);
  effect.params[name] = std::move(param);
  return kOK;
}
Status ParamGetHandle(void* set, const char* name, void** param, void** props) {
  Hold hold;
  auto it = AsEffect(set)->params.find(name ? name : "");
  if (it == AsEffect(set)->params.end()) return kErrUnknown;
  *param = it->second.get();
  if (props) *props = &it->second->props;
  return kOK;
}
Status ParamGetPropertySet(void* param, void** props) {
  *props = &AsParam(param)->props;
  return kOK;
}
Status ValueInto(Param* param, double time, va_list args) {
  const std::array<double, 3> v = param->At(time);
  if (param->type == "OfxParamTypeInteger" || param->type == "OfxParamTypeBoolean" ||
      param->type == "OfxParamTypeChoice") {
    *va_arg(args, int*) = static_cast<int>(v[0]);
  } else if (param->type == "OfxParamTypeDouble") {
    *va_arg(args, double*) = v[0];
  } else if (param->type == "OfxParamTypeRGB") {
    for (int i = 0; i < 3; ++i) *va_arg(args, double*) = v[i];
  } else {
    return kErrUnknown;
  }
  return kOK;
}
Status ParamGetValueAtTime(void* param, double time, ...) {
  va_list args;
  va_start(args, time);
  const Status s = ValueInto(AsParam(param), time, args);
  va_end(args);
  return s;
}
// The value now: without keys the parameter's value, with keys a key at the time of the change
// the host last told of, as a host keys an animated parameter that the user edits.
Status ParamSetValue(void* handle, ...) {
  Hold hold;
  Param* param = AsParam(handle);
  std::array<double, 3> v{};
  va_list args;
  va_start(args, handle);
  if (param->type == "OfxParamTypeInteger" || param->type == "OfxParamTypeBoolean" ||
      param->type == "OfxParamTypeChoice") {
    v[0] = va_arg(args, int);
  } else if (param->type == "OfxParamTypeDouble") {
    v[0] = va_arg(args, double);
  } else if (param->type == "OfxParamTypeRGB") {
    for (int i = 0; i < 3; ++i) v[i] = va_arg(args, double);
  } else {
    va_end(args);
    return kErrUnknown;
  }
  va_end(args);
  if (param->keys.empty()) param->value = v;
  else param->keys[H().changeTime] = v;
  H().valuesSet.push_back({param->props.String("OfxPropName"), H().editDepth > 0});
  return kOK;
}
Status ParamEditBegin(void*, const char*) {
  Hold hold;
  ++H().editDepth;
  return kOK;
}
Status ParamEditEnd(void*) {
  Hold hold;
  --H().editDepth;
  return kOK;
}
Status ParamGetNumKeys(void* param, unsigned int* count) {
  *count = static_cast<unsigned int>(AsParam(param)->keys.size());
  return kOK;
}

// ---- Message suite ----

Status Message(void*, const char* type, const char*, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Hold hold;
  H().messages.push_back(std::string(type ? type : "") + ": " + text);
  return kOK;
}

// ---- The tables, slot by slot ----

using Slot = void*;
template <typename F>
Slot S(F f) {
  return reinterpret_cast<Slot>(f);
}

// Slots of functions the plug-in has no need of answer "unsupported", so that a call to one
// shows.
const Slot kPropertySuite[18] = {
    S(PropSetPointer), S(PropSetString), S(PropSetDouble), S(PropSetInt),
    S(Unsupported),    S(Unsupported),   S(Unsupported),   S(Unsupported),
    S(PropGetPointer), S(PropGetString), S(PropGetDouble), S(PropGetInt),
    S(Unsupported),    S(Unsupported),   S(Unsupported),   S(Unsupported),
    S(Unsupported),    S(Unsupported)};
const Slot kImageEffectSuite[13] = {
    S(GetPropertySet), S(GetParamSet),      S(ClipDefine),    S(ClipGetHandle),
    S(ClipGetPropertySet), S(ClipGetImage), S(ClipReleaseImage), S(ClipGetRegionOfDefinition),
    S(Abort),          S(Unsupported),      S(Unsupported),   S(Unsupported),
    S(Unsupported)};
const Slot kParameterSuite[18] = {
    S(ParamDefine),       S(ParamGetHandle),      S(Unsupported),
    S(ParamGetPropertySet), S(Unsupported),       S(ParamGetValueAtTime),
    S(Unsupported),       S(Unsupported),         S(ParamSetValue),
    S(Unsupported),       S(ParamGetNumKeys),     S(Unsupported),
    S(Unsupported),       S(Unsupported),         S(Unsupported),
    S(Unsupported),       S(ParamEditBegin),      S(ParamEditEnd)};
const Slot kMessageSuite[1] = {S(Message)};

const void* FetchSuite(void* hostProps, const char* name, int version) {
  Host& host = H();
  if (host.inSetHost) ++host.hostCallsInSetHost;
  host.fetched.push_back(std::string(name ? name : "") + "/" + std::to_string(version));
  if (!name || version != 1) return nullptr;
  const std::string n = name;
  if (n == "OfxPropertySuite") return kPropertySuite;
  if (n == "OfxImageEffectSuite") return kImageEffectSuite;
  if (n == "OfxParameterSuite" && host.options.parameterSuite) return kParameterSuite;
  if (n == "OfxMessageSuite" && host.options.messageSuite) return kMessageSuite;
  (void)hostProps;
  return nullptr;
}

}  // namespace

// ---- Values ----

char PropertyType(const std::string& name) {
  const auto& types = PropertyTypes();
  auto it = types.find(name);
  if (it != types.end()) return it->second;
  const size_t underscore = name.rfind('_');
  if (underscore == std::string::npos) return 0;
  it = types.find(name.substr(0, underscore + 1));
  return it == types.end() ? 0 : it->second;
}

size_t Property::Size() const {
  switch (type) {
    case 's': return strings.size();
    case 'i': return ints.size();
    case 'd': return doubles.size();
    default: return pointers.size();
  }
}

int PropertySet::Int(const std::string& name, int index) const {
  auto it = values.find(name);
  return it != values.end() && index < static_cast<int>(it->second.ints.size()) ? it->second.ints[index] : -999;
}
double PropertySet::Double(const std::string& name, int index) const {
  auto it = values.find(name);
  return it != values.end() && index < static_cast<int>(it->second.doubles.size()) ? it->second.doubles[index] : -999.0;
}
std::string PropertySet::String(const std::string& name, int index) const {
  auto it = values.find(name);
  return it != values.end() && index < static_cast<int>(it->second.strings.size()) ? it->second.strings[index] : "(none)";
}
void PropertySet::SetInt(const std::string& name, std::vector<int> v) {
  Property& p = values[name];
  p.type = 'i';
  p.ints = std::move(v);
}
void PropertySet::SetDouble(const std::string& name, std::vector<double> v) {
  Property& p = values[name];
  p.type = 'd';
  p.doubles = std::move(v);
}
void PropertySet::SetString(const std::string& name, std::vector<std::string> v) {
  Property& p = values[name];
  p.type = 's';
  p.strings = std::move(v);
}
void PropertySet::SetPointer(const std::string& name, void* v) {
  Property& p = values[name];
  p.type = 'p';
  p.pointers = {v};
}

std::array<int, 4> Region(const Scene& scene, const Layout& l) {
  if (l.grow < 0) return {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  return {l.x1 - l.grow, l.y1 - l.grow, l.x1 + scene.width + l.grow, l.y1 + scene.height + l.grow};
}

std::array<double, 3> Param::At(double time) const {
  if (expression) return expression(time);
  if (keys.empty()) return value;
  auto it = keys.upper_bound(time);
  if (it == keys.begin()) return it->second;
  return (--it)->second;
}

// ---- The host ----

struct Host::Binary {
  void* module = nullptr;
  unsigned char* plugin = nullptr;  // the plug-in's record, read at its measured offsets
  struct {
    void* host;
    const void* (*fetchSuite)(void*, const char*, int);
  } record{};

  template <typename T>
  T Field(size_t offset) const {
    T value;
    std::memcpy(&value, plugin + offset, sizeof value);
    return value;
  }
  using MainEntry = int (*)(const char*, const void*, void*, void*);
};

Host::Host(Options o) : options(o), binary_(new Binary) {
  current = this;
  hostProps_.SetString("OfxPropName", {"ofxtest.host"});
  hostProps_.SetString("OfxPropLabel", {"Test host"});
  hostProps_.SetInt("OfxPropAPIVersion", {1, 4});
  hostProps_.SetString("OfxImageEffectPropSupportedContexts", {kFilter, "OfxImageEffectContextGeneral"});
  hostProps_.SetString("OfxImageEffectPropSupportedPixelDepths", {"OfxBitDepthByte", "OfxBitDepthFloat"});
  hostProps_.SetString("OfxImageEffectPropSupportedComponents", {"OfxImageComponentRGBA"});
  for (const char* name : {"OfxImageEffectPropSupportsTiles", "OfxImageEffectPropTemporalClipAccess",
                           "OfxImageEffectPropSupportsMultiResolution"}) {
    hostProps_.SetInt(name, {1});
  }
  hostProps_.SetInt("OfxImageEffectInstancePropSequentialRender", {2});
  hostProps_.SetInt("OfxImageEffectHostPropIsBackground", {1});
}

Host::~Host() {
  for (Image* image : images_) delete image;
  if (current == this) current = nullptr;
}

void Host::Fault(const std::string& what) {
  Hold hold;
  faults.push_back(what);
}

const char* Host::Identifier() const { return binary_->Field<const char*>(16); }
int Host::Version(int part) const { return static_cast<int>(binary_->Field<unsigned>(part == 0 ? 24 : 28)); }

bool Host::Load(const std::string& path, std::string* error) {
#if defined(_WIN32)
  HMODULE module = LoadLibraryA(WindowsPath(path).c_str());
  auto symbol = [&](const char* name) { return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr; };
#else
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto symbol = [&](const char* name) { return module ? dlsym(module, name) : nullptr; };
#endif
  binary_->module = reinterpret_cast<void*>(module);
  auto count = reinterpret_cast<int (*)()>(symbol("OfxGetNumberOfPlugins"));
  auto get = reinterpret_cast<unsigned char* (*)(int)>(symbol("OfxGetPlugin"));
  if (!count || !get) {
    *error = "cannot load " + path + " or find its two entry points";
    return false;
  }
  if (count() != 1 || !(binary_->plugin = get(0))) {
    *error = "the binary does not hold exactly one plug-in";
    return false;
  }
  if (std::string(binary_->Field<const char*>(0)) != "OfxImageEffectPluginAPI" || binary_->Field<int>(8) != 1) {
    *error = "the plug-in is not an image effect of API version 1";
    return false;
  }
  binary_->record.host = &hostProps_;
  binary_->record.fetchSuite = reinterpret_cast<const void* (*)(void*, const char*, int)>(FetchSuite);
  inSetHost = true;
  binary_->Field<void (*)(void*)>(32)(&binary_->record);
  inSetHost = false;

  loadStatus_ = Call("OfxActionLoad", nullptr, nullptr, nullptr);
  if (loadStatus_ != kOK) {
    *error = "load answered " + std::to_string(loadStatus_);
    return false;
  }
  descriptor_.props.SetString("OfxPropType", {"OfxTypeImageEffect"});
  descriptor_.props.SetString("OfxPropLabel", {""});
  descriptor_.props.SetString("OfxImageEffectPropSupportedContexts", {});
  descriptor_.props.SetString("OfxImageEffectPropSupportedPixelDepths", {});
  descriptor_.props.SetString("OfxImageEffectPluginRenderThreadSafety", {"OfxImageEffectRenderInstanceSafe"});
  for (const char* name : {"OfxImageEffectPropSupportsTiles", "OfxImageEffectPropSupportsMultiResolution",
                           "OfxImageEffectPluginPropHostFrameThreading",
                           "OfxImageEffectPluginPropFieldRenderTwiceAlways"}) {
    descriptor_.props.SetInt(name, {1});
  }
  for (const char* name : {"OfxImageEffectPropTemporalClipAccess", "OfxImageEffectInstancePropSequentialRender",
                           "OfxImageEffectPluginPropSingleInstance", "OfxImageEffectPropMultipleClipDepths"}) {
    descriptor_.props.SetInt(name, {0});
  }
  describeStatus_ = Call("OfxActionDescribe", &descriptor_, nullptr, nullptr);
  filter_.props = descriptor_.props;
  PropertySet in;
  in.SetString("OfxImageEffectPropContext", {kFilter});
  inContextStatus_ = Call("OfxImageEffectActionDescribeInContext", &filter_, &in, nullptr);
  return true;
}

Status Host::Call(const std::string& action, const void* handle, PropertySet* in, PropertySet* out) {
  auto entry = binary_->Field<Binary::MainEntry>(40);
  return entry(action.c_str(), handle, in, out);
}

Status Host::Unload() { return Call("OfxActionUnload", nullptr, nullptr, nullptr); }

Effect* Host::CreateInstance(Scene* scene) {
  auto instance = std::make_unique<Effect>();
  Effect* effect = instance.get();
  effect->props = filter_.props;
  effect->props.SetString("OfxPropType", {"OfxTypeImageEffectInstance"});
  effect->props.SetString("OfxImageEffectPropContext", {kFilter});
  effect->props.SetPointer("OfxPropInstanceData", nullptr);
  effect->props.SetInt("OfxPropIsInteractive", {0});
  for (const auto& entry : filter_.clips) {
    auto clip = std::make_unique<Clip>(*entry.second);
    clip->effect = effect;
    const Layout& layout = entry.first == "Output" ? scene->output : scene->source;
    PropertySet& p = clip->props;
    p.SetString("OfxImageEffectPropPixelDepth", {layout.isFloat ? "OfxBitDepthFloat" : "OfxBitDepthByte"});
    p.SetString("OfxImageEffectPropComponents", {"OfxImageComponentRGBA"});
    p.SetString("OfxImageEffectPropPreMultiplication", {"OfxImageAlphaPremultiplied"});
    p.SetDouble("OfxImagePropPixelAspectRatio", {1.0});
    p.SetDouble("OfxImageEffectPropFrameRate", {25.0});
    p.SetDouble("OfxImageEffectPropFrameRange", {scene->firstTime, scene->firstTime + scene->frames - 1});
    if (scene->unboundedRange) p.SetDouble("OfxImageEffectPropFrameRange", {INT32_MIN, INT32_MAX});
    p.SetInt("OfxImageClipPropConnected", {1});
    effect->clips[entry.first] = std::move(clip);
  }
  for (const std::string& name : filter_.paramOrder) {
    const Param& described = *filter_.params.at(name);
    auto param = std::make_unique<Param>(described);
    param->props.SetString("OfxPropType", {"OfxTypeParameterInstance"});
    auto dephault = described.props.values.find("OfxParamPropDefault");
    for (size_t i = 0; dephault != described.props.values.end() && i < 3 && i < dephault->second.Size(); ++i) {
      param->value[i] = dephault->second.type == 'i' ? dephault->second.ints[i] : dephault->second.doubles[i];
    }
    effect->paramOrder.push_back(name);
    effect->params[name] = std::move(param);
  }
  instances_.push_back(std::move(instance));
  scenes_[effect] = scene;
  if (Call("OfxActionCreateInstance", effect, nullptr, nullptr) != kOK) {
    instances_.pop_back();
    return nullptr;
  }
  PropertySet out;
  out.SetString("OfxImageEffectPropPreMultiplication", {"OfxImageAlphaPremultiplied"});
  out.SetInt("OfxImageEffectFrameVarying", {0});
  if (Call("OfxImageEffectActionGetClipPreferences", effect, nullptr, &out) != kOK ||
      out.String("OfxImageEffectPropPreMultiplication") != "OfxImageAlphaUnPremultiplied" ||
      out.Int("OfxImageEffectFrameVarying") != 1) {
    Fault("clip preferences: not unpremultiplied and frame varying");
  }
  return effect;
}

Status Host::DestroyInstance(Effect* instance) {
  const Status status = Call("OfxActionDestroyInstance", instance, nullptr, nullptr);
  scenes_.erase(instance);
  return status;
}

Status Host::NewImage(Clip* clip, double time, Image** made) {
  Hold hold;
  const Scene& scene = SceneOf(clip->effect);
  const bool output = clip->name == "Output";
  const Layout& layout = output ? scene.output : scene.source;
  const int frame = static_cast<int>(std::lround(time - scene.firstTime)) + 1;
  if (!output && (frame < 1 || frame > scene.frames || frame == scene.withheld)) return kFailed;
  if (!output && scene.onlyDeclared && (time < scene.declared[0] || time > scene.declared[1])) {
    return kFailed;
  }
  const int m = output ? layout.margin : 0;
  const int w = scene.width + 2 * m, h = scene.height + 2 * m;
  const size_t pixelSize = layout.isFloat ? 16 : 4;
  const size_t stride = w * pixelSize + layout.padding;
  auto image = std::make_unique<Image>();
  image->effect = clip->effect;
  image->memory.assign(2 * kGuard + stride * h, kFill);
  unsigned char* bottom = image->memory.data() + kGuard + (layout.topDown ? (h - 1) * stride : 0);
  const int rowBytes = static_cast<int>(layout.topDown ? -static_cast<long>(stride) : static_cast<long>(stride));
  const int x1 = layout.x1 - m, y1 = layout.y1 - m;
  if (!output) {
    ++sourceFetches;
    const Picture picture = scene.picture(frame);
    for (int y = 0; y < scene.height; ++y) {  // y from the bottom
      unsigned char* row = bottom + static_cast<long>(y) * rowBytes;
      const uint8_t* in = &picture[static_cast<size_t>(scene.height - 1 - y) * scene.width * 4];
      for (int i = 0; i < scene.width * 4; ++i) {
        if (!layout.isFloat) {
          row[i] = in[i];
          continue;
        }
        // Not exact multiples of 1/255, and outside 0..1 at the ends: they still round and
        // clamp to the byte.
        const float off = in[i] == 0 ? -0.3f : in[i] == 255 ? 0.4f : ((i * 7) % 9 - 4) * 0.11f;
        const float v = (in[i] + off) / 255.0f;
        std::memcpy(row + i * sizeof(float), &v, sizeof v);
      }
    }
  }
  PropertySet& p = image->props;
  p.SetString("OfxPropType", {"OfxTypeImage"});
  p.SetPointer("OfxImagePropData", layout.noData ? nullptr : bottom);
  p.SetInt("OfxImagePropBounds", {x1, y1, x1 + w, y1 + h});
  const std::array<int, 4> region = Region(scene, layout);
  p.SetInt("OfxImagePropRegionOfDefinition", std::vector<int>(region.begin(), region.end()));
  p.SetInt("OfxImagePropRowBytes", {layout.shortRows ? (rowBytes > 0 ? rowBytes - 4 : rowBytes + 4) : rowBytes});
  p.SetString("OfxImageEffectPropPixelDepth",
              {layout.shorts ? "OfxBitDepthShort" : layout.isFloat ? "OfxBitDepthFloat" : "OfxBitDepthByte"});
  p.SetString("OfxImageEffectPropComponents", {"OfxImageComponentRGBA"});
  p.SetString("OfxImageEffectPropPreMultiplication", {"OfxImageAlphaPremultiplied"});
  p.SetDouble("OfxImagePropPixelAspectRatio", {1.0});
  p.SetDouble("OfxImageEffectPropRenderScale", {1.0, 1.0});
  p.SetString("OfxImagePropField", {"OfxFieldNone"});
  *made = image.release();
  images_.insert(*made);
  if (output) outputImages_[*made] = false;
  ++liveImages;
  return kOK;
}

void Host::ReleaseImage(Image* image) {
  Hold hold;
  if (!images_.erase(image)) {
    faults.push_back("release of an image the host did not give, or twice");
    return;
  }
  --liveImages;
  auto it = outputImages_.find(image);
  if (it != outputImages_.end()) {
    it->second = true;  // kept for the render's checks
  } else {
    delete image;
  }
}

Status Host::Render(Effect* instance, double time, Picture* frame) {
  Scene& scene = SceneOf(instance);
  if (scene.onlyDeclared && FramesNeeded(instance, time, scene.declared) != kOK) return kFailed;
  const Layout& layout = scene.output;
  PropertySet in;
  in.SetDouble("OfxPropTime", {time});
  in.SetString("OfxImageEffectPropFieldToRender", {"OfxFieldNone"});
  in.SetInt("OfxImageEffectPropRenderWindow", {layout.x1, layout.y1, layout.x1 + scene.width, layout.y1 + scene.height});
  in.SetDouble("OfxImageEffectPropRenderScale", {1.0, 1.0});
  in.SetInt("OfxImageEffectPropSequentialRenderStatus", {0});
  in.SetInt("OfxImageEffectPropInteractiveRenderStatus", {0});
  in.SetInt("OfxImageEffectPropRenderQualityDraft", {0});
  const Status status = Call("OfxImageEffectActionRender", instance, &in, nullptr);

  Hold hold;
  Image* output = nullptr;
  for (auto it = outputImages_.begin(); it != outputImages_.end(); ++it) {
    if (it->first->effect == instance && it->second) {
      output = it->first;
      outputImages_.erase(it);
      break;
    }
  }
  if (!output) {
    if (status == kOK) Fault("a render that did not fetch and release its output image");
    return status;
  }
  // Every byte the plug-in was not given to write is as the host left it.
  const int m = layout.margin;
  const size_t pixelSize = layout.isFloat ? 16 : 4;
  const int w = scene.width + 2 * m, h = scene.height + 2 * m;
  const size_t stride = w * pixelSize + layout.padding;
  std::vector<bool> writable(output->memory.size(), false);
  auto at = [&](int x, int y) {  // offset of pixel (x, y) of the image, from its bottom left
    const size_t memoryRow = layout.topDown ? h - 1 - y : y;
    return kGuard + memoryRow * stride + x * pixelSize;
  };
  frame->assign(static_cast<size_t>(scene.width) * scene.height * 4, 0);
  for (int y = 0; y < scene.height; ++y) {
    for (int x = 0; x < scene.width; ++x) {
      const size_t offset = at(x + m, y + m);
      uint8_t* out = &(*frame)[(static_cast<size_t>(scene.height - 1 - y) * scene.width + x) * 4];
      for (size_t c = 0; c < 4; ++c) {
        if (!layout.isFloat) {
          out[c] = output->memory[offset + c];
          continue;
        }
        float v;
        std::memcpy(&v, &output->memory[offset + c * 4], sizeof v);
        const long b = std::lround(v * 255.0f);
        if (b < 0 || b > 255 || v != static_cast<float>(b) / 255.0f) {
          Fault("a float output value that is not byte / 255");
        }
        out[c] = static_cast<uint8_t>(b < 0 ? 0 : b > 255 ? 255 : b);
      }
      for (size_t i = 0; i < pixelSize; ++i) writable[offset + i] = true;
    }
  }
  for (size_t i = 0; i < output->memory.size(); ++i) {
    if (!writable[i] && output->memory[i] != kFill) {
      Fault("the render wrote outside its window, at byte " + std::to_string(i));
      break;
    }
  }
  delete output;
  return status;
}

Status Host::FramesNeeded(Effect* instance, double time, double range[2]) {
  PropertySet in, out;
  in.SetDouble("OfxPropTime", {time});
  out.SetDouble("OfxImageClipPropFrameRange_Source", {time, time});
  const Status status = Call("OfxImageEffectActionGetFramesNeeded", instance, &in, &out);
  range[0] = out.Double("OfxImageClipPropFrameRange_Source", 0);
  range[1] = out.Double("OfxImageClipPropFrameRange_Source", 1);
  return status;
}

Status Host::Notify(Effect* instance, const char* type, const char* name) {
  PropertySet in;
  in.SetString("OfxPropType", {type});
  in.SetString("OfxPropName", {name});
  in.SetString("OfxPropChangeReason", {"OfxChangeUserEdited"});
  in.SetDouble("OfxPropTime", {changeTime});
  in.SetDouble("OfxImageEffectPropRenderScale", {1.0, 1.0});
  PropertySet reason;
  reason.SetString("OfxPropChangeReason", {"OfxChangeUserEdited"});
  Call("OfxActionBeginInstanceChanged", instance, &reason, nullptr);
  const Status status = Call("OfxActionInstanceChanged", instance, &in, nullptr);
  Call("OfxActionEndInstanceChanged", instance, &reason, nullptr);
  return status;
}

}  // namespace ofxtest
