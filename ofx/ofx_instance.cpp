#include "ofx/ofx_instance.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "host/float_environment.h"
#include "ofx/ofx_fire_inputs.h"
#include "ofx/ofx_host.h"
#include "ofx/ofx_image.h"
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

const char* FailureText(FireStatus status, const OfxFireInputs& inputs) {
  switch (status) {
    case FireStatus::kOutOfMemory: return "Fyrel: not enough memory for the fire's buffers.";
    case FireStatus::kInputFailed:
      if (inputs.SourceUnreadable()) return "Fyrel: the source is not RGBA in 8-bit or 32-bit float.";
      if (inputs.SourceMissing()) {
        return "Fyrel: the host gave no source image for a frame the fire is made from.";
      }
      return "Fyrel: the host did not give the parameter values.";
    default: return nullptr;
  }
}

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

double OfxFireInstance::FirstTime() const {
  OfxPropertySetHandle props = nullptr;
  double first = 1.0;
  if (HostSuites().effects->clipGetPropertySet(source_, &props) == ofx::kStatOK &&
      OfxProps(props).GetDouble(ofx::kFrameRange, &first, 0) && std::isfinite(first)) {
    return first;
  }
  return 1.0;
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
  if (!output.handle() || ReadImageView(output.handle(), &view) != OfxImageRead::kOk) {
    return ofx::kStatFailed;
  }
  const OfxRectI target{window[0], window[1], window[2], window[3]};
  // The fire covers the output's whole frame: its region of definition where the host gives
  // one, else the render window (a whole frame, since the plug-in takes no tiles).
  int rod[4];
  OfxRectI frame = target;
  if (OfxProps(output.handle()).GetInts(ofx::kImageRegionOfDefinition, rod, 4) &&
      rod[2] > rod[0] && rod[3] > rod[1]) {
    frame = OfxRectI{rod[0], rod[1], rod[2], rod[3]};
  }
  const int64_t width = static_cast<int64_t>(frame.x2) - frame.x1;
  const int64_t height = static_cast<int64_t>(frame.y2) - frame.y1;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
    PostErrorMessage(effect_, "Fyrel: the frame must be 1 to 32768 pixels on each side.");
    return ofx::kStatFailed;
  }

  const double first = FirstTime();
  if (first != firstTime_ || frame.x1 != frame_.x1 || frame.y1 != frame_.y1 ||
      frame.x2 != frame_.x2 || frame.y2 != frame_.y2) {
    // The clip moved or was trimmed, or the frame lies elsewhere: every frame is another one.
    timeline_.Forget();
    firstTime_ = first;
    frame_ = frame;
  }
  const int32_t index = FrameAt(time, first);
  if (index < 1) {
    // Before the source begins there is no fire.
    CopyFrameToImage(nullptr, OfxRectI{0, 0, 0, 0}, target, view);
    return ofx::kStatOK;
  }
  OfxFireInputs inputs(effect_, source_, params_, first, frame);
  const FireStatus status = timeline_.Render(index, static_cast<int32_t>(width),
                                             static_cast<int32_t>(height), inputs);
  if (status != FireStatus::kOk) {
    if (const char* text = FailureText(status, inputs)) {
      PostErrorMessage(effect_, text);
    }
    return inputs.SourceUnreadable() ? ofx::kStatErrImageFormat : ofx::kStatFailed;
  }
  PF_Pixel colours[256];
  timeline_.Colours(colours);
  ColourHeatToImage(timeline_.Heat(), colours, frame, target, view);
  return ofx::kStatOK;
}

OfxStatus OfxFireInstance::FramesNeeded(OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
  std::lock_guard<InstanceLock> hold(lock_);
  double time = 0.0;
  if (!OfxProps(inArgs).GetDouble(ofx::kPropTime, &time)) return ofx::kStatErrValue;
  const double first = FirstTime();
  const int32_t index = FrameAt(time, first);
  double range[2] = {time, time};
  if (index >= 1) {
    const int32_t from = first == firstTime_ ? timeline_.FirstFrameToRead(index) : 1;
    range[0] = first + (from - 1);
  }
  const std::string name = std::string(ofx::kFramesNeededPrefix) + ofx::kSourceClip;
  return OfxProps(outArgs).SetDoubles(name.c_str(), range, 2);
}

OfxStatus OfxFireInstance::InstanceChanged(OfxPropertySetHandle inArgs) {
  std::lock_guard<InstanceLock> hold(lock_);
  const char* type = nullptr;
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
