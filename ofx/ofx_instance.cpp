// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_instance.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "effect/float_environment.h"
#include "ofx/ofx_fire_inputs.h"
#include "ofx/ofx_host.h"
#include "ofx/ofx_image.h"
#include "ofx/ofx_presets.h"
#include "ofx/ofx_props.h"

namespace {

// Every index and row length the effect forms stays within 32 bits.
constexpr int kMaxSide = 32768;

OfxProps EffectProps(OfxImageEffectHandle effect) {
  OfxPropertySetHandle handle = nullptr;
  HostSuites().effects->getPropertySet(effect, &handle);
  return OfxProps(handle);
}

// An image fetched from a clip, released when it goes out of scope.
class FetchedImage {
 public:
  FetchedImage(OfxImageClipHandle clip, double time) {
    if (clip && HostSuites().effects->clipGetImage(clip, time, nullptr, &handle_) != ofx::kStatOK) {
      handle_ = nullptr;
    }
  }
  ~FetchedImage() {
    if (handle_) HostSuites().effects->clipReleaseImage(handle_);
  }
  FetchedImage(const FetchedImage&) = delete;
  FetchedImage& operator=(const FetchedImage&) = delete;
  OfxPropertySetHandle handle() const { return handle_; }

 private:
  OfxPropertySetHandle handle_ = nullptr;
};

// Why a host's image cannot be read, in words; null when it can.
const char* ImageFault(OfxImageRead read) {
  switch (read) {
    case OfxImageRead::kOk: return nullptr;
    case OfxImageRead::kNoData: return "has no pixel data";
    case OfxImageRead::kShortRows: return "has row bytes shorter than a row of its pixels";
    default: return "is not RGBA in 8-bit or 32-bit float";
  }
}

std::string FailureText(FireStatus status, const OfxFireInputs& inputs) {
  if (const char* fault = ImageFault(inputs.SourceRead())) {
    return std::string("Fyrel: the host's source image ") + fault + ".";
  }
  if (inputs.SourceMissing()) {
    return "Fyrel: the host gave no source image for a frame the fire is made from.";
  }
  if (status != FireStatus::kInputFailed) return std::string();
  return "Fyrel: the host did not give the parameter values.";
}

std::string Pixels(const OfxRectI& r) {
  return std::to_string(static_cast<int64_t>(r.x2) - r.x1) + " x " +
         std::to_string(static_cast<int64_t>(r.y2) - r.y1);
}

// What the user can do when memory runs short; the whole message where no size is known (and
// nothing more may be allocated to say it).
constexpr const char* kFreeMemory = "free memory, or make the source smaller.";
constexpr const char* kNoMemory =
    "Fyrel: not enough memory for the fire; free memory, or make the source smaller.";

// Infinite ends of ranges and regions, as the interface spells them.
constexpr double kInfiniteMin = -2147483648.0, kInfiniteMax = 2147483647.0;
bool Bounded(double v) { return std::isfinite(v) && v > kInfiniteMin && v < kInfiniteMax; }

}  // namespace

OfxStatus OfxFireInstance::Create(OfxImageEffectHandle effect) {
  OfxFireInstance* instance = new (std::nothrow) OfxFireInstance(effect);
  if (!instance) return ofx::kStatErrMemory;
  bool started = false;
  {
    DefaultFloatEnvironment environment;
    started = instance->Connect() && instance->timeline_.Start();
  }
  if (!started || EffectProps(effect).SetPointer(ofx::kPropInstanceData, instance) != ofx::kStatOK) {
    delete instance;
    return ofx::kStatFailed;
  }
  return ofx::kStatOK;
}

bool OfxFireInstance::Connect() {
  const OfxImageEffectSuiteV1& effects = *HostSuites().effects;
  if (effects.clipGetHandle(effect_, ofx::kSourceClip, &source_, nullptr) != ofx::kStatOK ||
      effects.clipGetHandle(effect_, ofx::kOutputClip, &output_, nullptr) != ofx::kStatOK) {
    return false;
  }
  OfxParamSetHandle set = nullptr;
  if (effects.getParamSet(effect_, &set) != ofx::kStatOK) return false;
  paramSet_ = set;
  if (HostSuites().params->paramGetHandle(set, kPresetParamName, &presetChoice_, nullptr) !=
      ofx::kStatOK) {
    return false;
  }
  for (int i = 0; i < kFireParamCount; ++i) {
    if (HostSuites().params->paramGetHandle(set, FireParams()[i].scriptName, &params_[i],
                                            nullptr) != ofx::kStatOK) {
      return false;
    }
  }
  return true;
}

OfxFireInstance* OfxFireInstance::Of(OfxImageEffectHandle effect) {
  void* data = nullptr;
  if (!effect || !EffectProps(effect).GetPointer(ofx::kPropInstanceData, &data)) return nullptr;
  return static_cast<OfxFireInstance*>(data);
}

OfxStatus OfxFireInstance::Destroy(OfxImageEffectHandle effect) {
  OfxFireInstance* instance = Of(effect);
  if (!instance) return ofx::kStatErrBadHandle;
  EffectProps(effect).SetPointer(ofx::kPropInstanceData, nullptr);
  {
    DefaultFloatEnvironment environment;
    delete instance;
  }
  return ofx::kStatOK;
}

bool OfxFireInstance::SourceRange(int end, double* time) const {
  OfxPropertySetHandle props = nullptr;
  return HostSuites().effects->clipGetPropertySet(source_, &props) == ofx::kStatOK &&
         OfxProps(props).GetDouble(ofx::kFrameRange, time, end) && Bounded(*time);
}

double OfxFireInstance::FirstTime() const {
  double first = 1.0;
  return SourceRange(0, &first) ? first : 1.0;
}

int32_t OfxFireInstance::LastFrame(double firstTime) const {
  double last = 0.0;
  if (!SourceRange(1, &last)) return FireTimeline::kLastFrame;
  const int64_t frame = static_cast<int64_t>(FrameAt(last, firstTime)) + kFramesPastSource;
  return static_cast<int32_t>(std::min<int64_t>(frame, FireTimeline::kLastFrame));
}

bool OfxFireInstance::SourceRegion(double firstTime, OfxRectI* region) const {
  OfxRectD rod{};
  OfxPropertySetHandle props = nullptr;
  double aspect = 1.0;
  if (HostSuites().effects->clipGetRegionOfDefinition(source_, firstTime, &rod) != ofx::kStatOK ||
      !Bounded(rod.x1) || !Bounded(rod.y1) || !Bounded(rod.x2) || !Bounded(rod.y2)) {
    return false;
  }
  // The region is in canonical coordinates: a pixel is the clip's aspect ratio wide.
  if (HostSuites().effects->clipGetPropertySet(source_, &props) != ofx::kStatOK ||
      !OfxProps(props).GetDouble(ofx::kPixelAspectRatio, &aspect) || !(aspect > 0.0)) {
    aspect = 1.0;
  }
  const double x1 = std::floor(rod.x1 / aspect), x2 = std::ceil(rod.x2 / aspect);
  if (!Bounded(x1) || !Bounded(x2)) return false;
  *region = OfxRectI{static_cast<int>(x1), static_cast<int>(std::floor(rod.y1)),
                     static_cast<int>(x2), static_cast<int>(std::ceil(rod.y2))};
  return region->x2 > region->x1 && region->y2 > region->y1;
}

int32_t OfxFireInstance::FrameAt(double time, double firstTime) {
  // Fielded and retimed material asks for fractions of a frame: they belong to its frame.
  const double frame = std::floor(time - firstTime + 1e-6) + 1.0;
  if (!(frame >= 1.0)) return 0;
  return frame < 2147483647.0 ? static_cast<int32_t>(frame) : 2147483647;
}

OfxStatus OfxFireInstance::Render(OfxPropertySetHandle inArgs) {
  std::lock_guard<InstanceLock> hold(lock_);
  DefaultFloatEnvironment environment;
  const OfxProps args(inArgs);
  double time = 0.0;
  int window[4];
  if (!args.GetDouble(ofx::kPropTime, &time) || !args.GetInts(ofx::kRenderWindow, window, 4)) {
    return ofx::kStatErrValue;
  }
  FetchedImage output(output_, time);
  OfxImageView view;
  if (!output.handle()) return ofx::kStatFailed;
  if (const char* fault = ImageFault(ReadImageView(output.handle(), &view))) {
    const std::string text = std::string("Fyrel: the host's output image ") + fault + ".";
    PostErrorMessage(effect_, text.c_str());
    return ofx::kStatFailed;
  }
  try {
    return RenderFrame(time, OfxRectI{window[0], window[1], window[2], window[3]}, view);
  } catch (const std::bad_alloc&) {
    // Whatever was being had is let go; the fire keeps what it had before.
    PostErrorMessage(effect_, kNoMemory);
    return ofx::kStatErrMemory;
  }
}

OfxStatus OfxFireInstance::RenderFrame(double time, const OfxRectI& window,
                                       const OfxImageView& view) {
  // The fire covers its source, whatever part of it the host asks to see: the source's own
  // region is its grid, as in every other front end. A source without one (a generator of
  // unbounded extent) gives the fire the frame the host asks for.
  const double first = FirstTime();
  OfxRectI frame = window;
  const bool fromSource = SourceRegion(first, &frame);
  if (!fromSource) frame = window;
  const int64_t width = static_cast<int64_t>(frame.x2) - frame.x1;
  const int64_t height = static_cast<int64_t>(frame.y2) - frame.y1;
  if (width < 1 || height < 1) {
    const std::string text = "Fyrel: the host asks for an empty frame, " + Pixels(frame) +
                             " pixels: there is nothing to render.";
    PostErrorMessage(effect_, text.c_str());
    return ofx::kStatFailed;
  }
  if (width > kMaxSide || height > kMaxSide) {
    const std::string text =
        fromSource ? "Fyrel: the source is " + Pixels(frame) + " pixels; the fire covers its "
                         "source, at most 32768 pixels on each side: crop or scale the source."
                   : "Fyrel: the source has no bounds and the host asks for " + Pixels(frame) +
                         " pixels; the fire covers at most 32768 pixels on each side: crop the "
                         "source.";
    PostErrorMessage(effect_, text.c_str());
    return ofx::kStatFailed;
  }

  const int32_t index = FrameAt(time, first);
  if (index < 1 || index > LastFrame(first)) {
    // Before the source begins, and long after it ends, there is no fire.
    CopyFrameToImage(nullptr, OfxRectI{0, 0, 0, 0}, window, view);
    return ofx::kStatOK;
  }
  FireStatus status = FireStatus::kOk;
  if (first != firstTime_ || frame.x1 != frame_.x1 || frame.y1 != frame_.y1 ||
      frame.x2 != frame_.x2 || frame.y2 != frame_.y2) {
    // The clip moved or was trimmed, or the source lies elsewhere: every frame is another one,
    // once the fire's new size is had (until then the fire and its states stay).
    if (timeline_.Resize(static_cast<int32_t>(width), static_cast<int32_t>(height))) {
      timeline_.Forget();
      firstTime_ = first;
      frame_ = frame;
    } else {
      status = FireStatus::kOutOfMemory;
    }
  }
  OfxFireInputs inputs(effect_, source_, params_, first, frame);
  if (status == FireStatus::kOk) {
    status = timeline_.Render(index, static_cast<int32_t>(width), static_cast<int32_t>(height),
                              inputs);
  }
  if (status == FireStatus::kOutOfMemory) {
    const std::string text =
        "Fyrel: not enough memory for a " + Pixels(frame) + " fire; " + kFreeMemory;
    PostErrorMessage(effect_, text.c_str());
    return ofx::kStatErrMemory;
  }
  if (status != FireStatus::kOk) {
    const std::string text = FailureText(status, inputs);
    if (!text.empty()) PostErrorMessage(effect_, text.c_str());
    return inputs.SourceRead() == OfxImageRead::kUnsupported ? ofx::kStatErrImageFormat
                                                               : ofx::kStatFailed;
  }
  PF_Pixel colours[256];
  timeline_.Colours(colours);
  ColourHeatToImage(timeline_.Heat(), colours, frame, window, view);
  return ofx::kStatOK;
}

OfxStatus OfxFireInstance::FramesNeeded(OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
  std::lock_guard<InstanceLock> hold(lock_);
  double time = 0.0;
  if (!OfxProps(inArgs).GetDouble(ofx::kPropTime, &time)) return ofx::kStatErrValue;
  const double first = FirstTime();
  const int32_t index = FrameAt(time, first);
  double range[2] = {time, time};
  if (index >= 1 && index <= LastFrame(first)) {
    int32_t from = 1;
    if (first == firstTime_) {
      // A reported change is checked here, so that the frames declared are those the render
      // replays.
      OfxFireInputs inputs(effect_, source_, params_, first, frame_);
      from = timeline_.FirstFrameToRead(index, inputs);
    }
    range[0] = first + (from - 1);
  }
  const std::string name = std::string(ofx::kFramesNeededPrefix) + ofx::kSourceClip;
  return OfxProps(outArgs).SetDoubles(name.c_str(), range, 2);
}

OfxStatus OfxFireInstance::InstanceChanged(OfxPropertySetHandle inArgs) {
  // A preset the user picked sets the other parameters before the lock is taken: a host may
  // tell of each of their changes at once, on this thread.
  const OfxProps args(inArgs);
  const char* type = nullptr;
  const char* name = nullptr;
  const char* reason = nullptr;
  double time = 0.0;
  if (args.GetString(ofx::kPropType, &type) && std::strcmp(type, ofx::kTypeParameter) == 0 &&
      args.GetString(ofx::kPropName, &name) && std::strcmp(name, kPresetParamName) == 0 &&
      args.GetString(ofx::kPropChangeReason, &reason) &&
      std::strcmp(reason, ofx::kChangeUserEdited) == 0 && args.GetDouble(ofx::kPropTime, &time)) {
    ApplyPickedPreset(paramSet_, presetChoice_, time, params_);
  }
  std::lock_guard<InstanceLock> hold(lock_);
  if (!OfxProps(inArgs).GetString(ofx::kPropType, &type)) return ofx::kStatReplyDefault;
  if (std::strcmp(type, ofx::kTypeClip) == 0) {
    timeline_.Forget();
  } else if (std::strcmp(type, ofx::kTypeParameter) == 0) {
    timeline_.RecheckValues();
  }
  return ofx::kStatOK;
}

OfxStatus OfxFireInstance::PurgeCaches() {
  std::lock_guard<InstanceLock> hold(lock_);
  timeline_.Forget();
  return ofx::kStatOK;
}
