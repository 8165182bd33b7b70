// SPDX-License-Identifier: GPL-2.0-or-later
// The OpenFX 1.4 image-effect interface as this plug-in uses it: the records, the suites in
// slot order, the status values and the exact strings. Written from measured layouts (every
// record is the same on x86-64 Linux and Win64; the static_asserts below pin them), not taken
// from any published header.
#pragma once

#include <cstddef>

extern "C" {

typedef int OfxStatus;
typedef double OfxTime;

typedef struct OfxPropertySetStruct* OfxPropertySetHandle;
typedef struct OfxImageEffectStruct* OfxImageEffectHandle;
typedef struct OfxImageClipStruct* OfxImageClipHandle;
typedef struct OfxParamSetStruct* OfxParamSetHandle;
typedef struct OfxParamStruct* OfxParamHandle;
typedef struct OfxImageMemoryStruct* OfxImageMemoryHandle;
typedef struct OfxMutexStruct* OfxMutexHandle;

struct OfxHost {
  OfxPropertySetHandle host;
  const void* (*fetchSuite)(OfxPropertySetHandle host, const char* suiteName, int suiteVersion);
};

struct OfxPlugin {
  const char* pluginApi;
  int apiVersion;
  const char* pluginIdentifier;
  unsigned int pluginVersionMajor;
  unsigned int pluginVersionMinor;
  void (*setHost)(OfxHost* host);
  OfxStatus (*mainEntry)(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                         OfxPropertySetHandle outArgs);
};

struct OfxRectI {
  int x1, y1, x2, y2;
};
struct OfxRectD {
  double x1, y1, x2, y2;
};
struct OfxRangeD {
  double min, max;
};

struct OfxPropertySuiteV1 {
  OfxStatus (*propSetPointer)(OfxPropertySetHandle, const char*, int, void*);
  OfxStatus (*propSetString)(OfxPropertySetHandle, const char*, int, const char*);
  OfxStatus (*propSetDouble)(OfxPropertySetHandle, const char*, int, double);
  OfxStatus (*propSetInt)(OfxPropertySetHandle, const char*, int, int);
  OfxStatus (*propSetPointerN)(OfxPropertySetHandle, const char*, int, void* const*);
  OfxStatus (*propSetStringN)(OfxPropertySetHandle, const char*, int, const char* const*);
  OfxStatus (*propSetDoubleN)(OfxPropertySetHandle, const char*, int, const double*);
  OfxStatus (*propSetIntN)(OfxPropertySetHandle, const char*, int, const int*);
  OfxStatus (*propGetPointer)(OfxPropertySetHandle, const char*, int, void**);
  OfxStatus (*propGetString)(OfxPropertySetHandle, const char*, int, char**);
  OfxStatus (*propGetDouble)(OfxPropertySetHandle, const char*, int, double*);
  OfxStatus (*propGetInt)(OfxPropertySetHandle, const char*, int, int*);
  OfxStatus (*propGetPointerN)(OfxPropertySetHandle, const char*, int, void**);
  OfxStatus (*propGetStringN)(OfxPropertySetHandle, const char*, int, char**);
  OfxStatus (*propGetDoubleN)(OfxPropertySetHandle, const char*, int, double*);
  OfxStatus (*propGetIntN)(OfxPropertySetHandle, const char*, int, int*);
  OfxStatus (*propReset)(OfxPropertySetHandle, const char*);
  OfxStatus (*propGetDimension)(OfxPropertySetHandle, const char*, int*);
};

struct OfxImageEffectSuiteV1 {
  OfxStatus (*getPropertySet)(OfxImageEffectHandle, OfxPropertySetHandle*);
  OfxStatus (*getParamSet)(OfxImageEffectHandle, OfxParamSetHandle*);
  OfxStatus (*clipDefine)(OfxImageEffectHandle, const char*, OfxPropertySetHandle*);
  OfxStatus (*clipGetHandle)(OfxImageEffectHandle, const char*, OfxImageClipHandle*,
                             OfxPropertySetHandle*);
  OfxStatus (*clipGetPropertySet)(OfxImageClipHandle, OfxPropertySetHandle*);
  OfxStatus (*clipGetImage)(OfxImageClipHandle, OfxTime, const OfxRectD*, OfxPropertySetHandle*);
  OfxStatus (*clipReleaseImage)(OfxPropertySetHandle);
  OfxStatus (*clipGetRegionOfDefinition)(OfxImageClipHandle, OfxTime, OfxRectD*);
  int (*abort)(OfxImageEffectHandle);
  OfxStatus (*imageMemoryAlloc)(OfxImageEffectHandle, size_t, OfxImageMemoryHandle*);
  OfxStatus (*imageMemoryFree)(OfxImageMemoryHandle);
  OfxStatus (*imageMemoryLock)(OfxImageMemoryHandle, void**);
  OfxStatus (*imageMemoryUnlock)(OfxImageMemoryHandle);
};

struct OfxParameterSuiteV1 {
  OfxStatus (*paramDefine)(OfxParamSetHandle, const char* paramType, const char* name,
                           OfxPropertySetHandle*);
  OfxStatus (*paramGetHandle)(OfxParamSetHandle, const char*, OfxParamHandle*,
                              OfxPropertySetHandle*);
  OfxStatus (*paramSetGetPropertySet)(OfxParamSetHandle, OfxPropertySetHandle*);
  OfxStatus (*paramGetPropertySet)(OfxParamHandle, OfxPropertySetHandle*);
  OfxStatus (*paramGetValue)(OfxParamHandle, ...);
  OfxStatus (*paramGetValueAtTime)(OfxParamHandle, OfxTime, ...);
  OfxStatus (*paramGetDerivative)(OfxParamHandle, OfxTime, ...);
  OfxStatus (*paramGetIntegral)(OfxParamHandle, OfxTime, OfxTime, ...);
  OfxStatus (*paramSetValue)(OfxParamHandle, ...);
  OfxStatus (*paramSetValueAtTime)(OfxParamHandle, OfxTime, ...);
  OfxStatus (*paramGetNumKeys)(OfxParamHandle, unsigned int*);
  OfxStatus (*paramGetKeyTime)(OfxParamHandle, unsigned int, OfxTime*);
  OfxStatus (*paramGetKeyIndex)(OfxParamHandle, OfxTime, int, int*);
  OfxStatus (*paramDeleteKey)(OfxParamHandle, OfxTime);
  OfxStatus (*paramDeleteAllKeys)(OfxParamHandle);
  OfxStatus (*paramCopy)(OfxParamHandle, OfxParamHandle, OfxTime, const OfxRangeD*);
  OfxStatus (*paramEditBegin)(OfxParamSetHandle, const char*);
  OfxStatus (*paramEditEnd)(OfxParamSetHandle);
};

struct OfxMessageSuiteV1 {
  OfxStatus (*message)(void* handle, const char* messageType, const char* messageId,
                       const char* format, ...);
};

}  // extern "C"

static_assert(sizeof(OfxHost) == 16, "OfxHost: 2 pointers");
static_assert(sizeof(OfxPlugin) == 48 && offsetof(OfxPlugin, pluginIdentifier) == 16 &&
                  offsetof(OfxPlugin, setHost) == 32 && offsetof(OfxPlugin, mainEntry) == 40,
              "OfxPlugin as the host lays it out");
static_assert(sizeof(OfxRectI) == 16 && sizeof(OfxRectD) == 32, "rectangles");
static_assert(sizeof(OfxPropertySuiteV1) == 144, "18 slots");
static_assert(sizeof(OfxImageEffectSuiteV1) == 104, "13 slots");
static_assert(sizeof(OfxParameterSuiteV1) == 144, "18 slots");
static_assert(sizeof(OfxMessageSuiteV1) == 8, "1 slot");

namespace ofx {

// Status values.
constexpr OfxStatus kStatOK = 0;
constexpr OfxStatus kStatFailed = 1;
constexpr OfxStatus kStatErrFatal = 2;
constexpr OfxStatus kStatErrUnknown = 3;
constexpr OfxStatus kStatErrMissingHostFeature = 4;
constexpr OfxStatus kStatErrUnsupported = 5;
constexpr OfxStatus kStatErrBadHandle = 9;
constexpr OfxStatus kStatErrValue = 11;
constexpr OfxStatus kStatReplyDefault = 14;
constexpr OfxStatus kStatErrMemory = 8;
constexpr OfxStatus kStatErrImageFormat = 1000;

// Suites.
constexpr const char* kPropertySuite = "OfxPropertySuite";
constexpr const char* kImageEffectSuite = "OfxImageEffectSuite";
constexpr const char* kParameterSuite = "OfxParameterSuite";
constexpr const char* kMessageSuite = "OfxMessageSuite";

// Actions.
constexpr const char* kActionLoad = "OfxActionLoad";
constexpr const char* kActionUnload = "OfxActionUnload";
constexpr const char* kActionDescribe = "OfxActionDescribe";
constexpr const char* kActionDescribeInContext = "OfxImageEffectActionDescribeInContext";
constexpr const char* kActionCreateInstance = "OfxActionCreateInstance";
constexpr const char* kActionDestroyInstance = "OfxActionDestroyInstance";
constexpr const char* kActionPurgeCaches = "OfxActionPurgeCaches";
constexpr const char* kActionSyncPrivateData = "OfxActionSyncPrivateData";
constexpr const char* kActionInstanceChanged = "OfxActionInstanceChanged";
constexpr const char* kActionGetClipPreferences = "OfxImageEffectActionGetClipPreferences";
constexpr const char* kActionGetFramesNeeded = "OfxImageEffectActionGetFramesNeeded";
constexpr const char* kActionRender = "OfxImageEffectActionRender";

// Object types and names.
constexpr const char* kImageEffectPluginApi = "OfxImageEffectPluginAPI";
constexpr const char* kTypeClip = "OfxTypeClip";
constexpr const char* kTypeParameter = "OfxTypeParameter";
constexpr const char* kSourceClip = "Source";
constexpr const char* kOutputClip = "Output";
constexpr const char* kContextFilter = "OfxImageEffectContextFilter";
constexpr const char* kComponentRGBA = "OfxImageComponentRGBA";
constexpr const char* kBitDepthByte = "OfxBitDepthByte";
constexpr const char* kBitDepthFloat = "OfxBitDepthFloat";
constexpr const char* kUnPreMultiplied = "OfxImageAlphaUnPremultiplied";
constexpr const char* kRenderInstanceSafe = "OfxImageEffectRenderInstanceSafe";

// Generic and plug-in descriptor properties.
constexpr const char* kPropType = "OfxPropType";
constexpr const char* kPropName = "OfxPropName";
constexpr const char* kPropLabel = "OfxPropLabel";
constexpr const char* kPropLongLabel = "OfxPropLongLabel";
constexpr const char* kPropPluginDescription = "OfxPropPluginDescription";
constexpr const char* kPropVersion = "OfxPropVersion";
constexpr const char* kPropVersionLabel = "OfxPropVersionLabel";
constexpr const char* kPropTime = "OfxPropTime";
constexpr const char* kPropInstanceData = "OfxPropInstanceData";
constexpr const char* kPluginPropGrouping = "OfxImageEffectPluginPropGrouping";
constexpr const char* kSupportedContexts = "OfxImageEffectPropSupportedContexts";
constexpr const char* kSupportedPixelDepths = "OfxImageEffectPropSupportedPixelDepths";
constexpr const char* kSupportedComponents = "OfxImageEffectPropSupportedComponents";
constexpr const char* kSingleInstance = "OfxImageEffectPluginPropSingleInstance";
constexpr const char* kRenderThreadSafety = "OfxImageEffectPluginRenderThreadSafety";
constexpr const char* kHostFrameThreading = "OfxImageEffectPluginPropHostFrameThreading";
constexpr const char* kTemporalClipAccess = "OfxImageEffectPropTemporalClipAccess";
constexpr const char* kSupportsTiles = "OfxImageEffectPropSupportsTiles";
constexpr const char* kSupportsMultiResolution = "OfxImageEffectPropSupportsMultiResolution";
constexpr const char* kSupportsMultipleClipDepths = "OfxImageEffectPropMultipleClipDepths";
constexpr const char* kFieldRenderTwiceAlways = "OfxImageEffectPluginPropFieldRenderTwiceAlways";
constexpr const char* kSequentialRender = "OfxImageEffectInstancePropSequentialRender";
constexpr const char* kClipOptional = "OfxImageClipPropOptional";
constexpr const char* kContext = "OfxImageEffectPropContext";

// Clip instances, images and action arguments.
constexpr const char* kFrameRange = "OfxImageEffectPropFrameRange";
constexpr const char* kClipConnected = "OfxImageClipPropConnected";
constexpr const char* kPixelDepth = "OfxImageEffectPropPixelDepth";
constexpr const char* kComponents = "OfxImageEffectPropComponents";
constexpr const char* kPreMultiplication = "OfxImageEffectPropPreMultiplication";
constexpr const char* kFrameVarying = "OfxImageEffectFrameVarying";
constexpr const char* kRenderWindow = "OfxImageEffectPropRenderWindow";
constexpr const char* kImageData = "OfxImagePropData";
constexpr const char* kImageBounds = "OfxImagePropBounds";
constexpr const char* kPixelAspectRatio = "OfxImagePropPixelAspectRatio";
constexpr const char* kImageRowBytes = "OfxImagePropRowBytes";
constexpr const char* kFramesNeededPrefix = "OfxImageClipPropFrameRange_";

// Parameters.
constexpr const char* kParamTypeInteger = "OfxParamTypeInteger";
constexpr const char* kParamTypeDouble = "OfxParamTypeDouble";
constexpr const char* kParamTypeBoolean = "OfxParamTypeBoolean";
constexpr const char* kParamTypeRGB = "OfxParamTypeRGB";
constexpr const char* kParamTypeGroup = "OfxParamTypeGroup";
constexpr const char* kParamTypePage = "OfxParamTypePage";
constexpr const char* kParamTypeChoice = "OfxParamTypeChoice";
constexpr const char* kParamPropChoiceOption = "OfxParamPropChoiceOption";
constexpr const char* kParamPropAnimates = "OfxParamPropAnimates";
constexpr const char* kParamPropEvaluateOnChange = "OfxParamPropEvaluateOnChange";
constexpr const char* kPropChangeReason = "OfxPropChangeReason";
constexpr const char* kChangeUserEdited = "OfxChangeUserEdited";
constexpr const char* kParamDoubleTypeAngle = "OfxParamDoubleTypeAngle";
constexpr const char* kParamPropScriptName = "OfxParamPropScriptName";
constexpr const char* kParamPropHint = "OfxParamPropHint";
constexpr const char* kParamPropDefault = "OfxParamPropDefault";
constexpr const char* kParamPropMin = "OfxParamPropMin";
constexpr const char* kParamPropMax = "OfxParamPropMax";
constexpr const char* kParamPropDisplayMin = "OfxParamPropDisplayMin";
constexpr const char* kParamPropDisplayMax = "OfxParamPropDisplayMax";
constexpr const char* kParamPropIncrement = "OfxParamPropIncrement";
constexpr const char* kParamPropDigits = "OfxParamPropDigits";
constexpr const char* kParamPropDoubleType = "OfxParamPropDoubleType";
constexpr const char* kParamPropParent = "OfxParamPropParent";
constexpr const char* kParamPropPageChild = "OfxParamPropPageChild";

// Messages.
constexpr const char* kMessageError = "OfxMessageError";

}  // namespace ofx
