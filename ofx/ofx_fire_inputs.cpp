// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_fire_inputs.h"

#include <algorithm>

#include "ofx/ofx_host.h"
#include "ofx/ofx_image.h"
#include "ofx/ofx_props.h"

OfxFireInputs::OfxFireInputs(OfxImageEffectHandle effect, OfxImageClipHandle source,
                             const std::array<OfxParamHandle, kFireParamCount>& params,
                             double firstTime, const OfxRectI& frame)
    : effect_(effect), source_(source), params_(params), firstTime_(firstTime), frame_(frame),
      lastTime_(firstTime - 1.0) {
  OfxPropertySetHandle clip = nullptr;
  int connected = 1;
  if (source_ && HostSuites().effects->clipGetPropertySet(source_, &clip) == ofx::kStatOK) {
    const OfxProps props(clip);
    if (!props.GetInt(ofx::kClipConnected, &connected)) connected = 1;
    if (!connected || !props.GetDouble(ofx::kFrameRange, &lastTime_, 1)) lastTime_ = firstTime - 1.0;
  }
}

bool OfxFireInputs::Read(int index, double time, int32_t* value) const {
  const OfxParameterSuiteV1& suite = *HostSuites().params;
  const FireParam& param = FireParams()[index];
  OfxParamHandle handle = params_[index];
  switch (param.kind) {
    case ParamKind::kSlider:
    case ParamKind::kCheckBox: {
      int v = 0;
      if (suite.paramGetValueAtTime(handle, time, &v) != ofx::kStatOK) return false;
      *value = FireIntegerValue(param, v);
      return true;
    }
    case ParamKind::kColor: {
      double r = 0, g = 0, b = 0;
      if (suite.paramGetValueAtTime(handle, time, &r, &g, &b) != ofx::kStatOK) return false;
      *value = FireColorValue(param, r, g, b);
      return true;
    }
    case ParamKind::kAngle:
    case ParamKind::kFraction: {
      double units = 0;
      if (suite.paramGetValueAtTime(handle, time, &units) != ofx::kStatOK) return false;
      *value = FireFixedValue(param, units);
      return true;
    }
  }
  return false;
}

bool OfxFireInputs::Values(int32_t frame, FireValues* values) {
  const double time = TimeOf(frame);
  for (int i = 0; i < kFireParamCount; ++i) {
    if (!Read(i, time, &(*values)[i])) return false;
  }
  return true;
}

OfxFireInputs::~OfxFireInputs() { ReleaseImage(); }

void OfxFireInputs::ReleaseImage() {
  if (image_) HostSuites().effects->clipReleaseImage(image_);
  image_ = nullptr;
}

FireStatus OfxFireInputs::Source(int32_t frame, ConstPixelView* source) {
  const OfxImageEffectSuiteV1& suite = *HostSuites().effects;
  ReleaseImage();
  *source = ConstPixelView{};
  const double time = TimeOf(frame);
  if (!source_ || suite.clipGetImage(source_, time, nullptr, &image_) != ofx::kStatOK || !image_) {
    image_ = nullptr;
    // A source that has frames here must give them: a fire fed nothing in their place would
    // be another fire.
    if (time <= lastTime_ + 1e-6) {
      sourceMissing_ = true;
      return FireStatus::kInputFailed;
    }
    // An unconnected source, or a time past its end: nothing feeds the fire.
    return FireStatus::kOk;
  }
  OfxImageView view;
  sourceRead_ = ReadImageView(image_, &view);
  if (sourceRead_ != OfxImageRead::kOk) {
    ReleaseImage();
    return FireStatus::kInputFailed;
  }
  const int32_t width = frame_.x2 - frame_.x1, height = frame_.y2 - frame_.y1;
  if (!FrameViewOf(view, frame_, source)) {
    copy_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    CopyImageToFrame(view, frame_, copy_.data());
    *source = PackedView(reinterpret_cast<const uint8_t*>(copy_.data()), width, height,
                         PixelLayout::kHostArgb);
  }
  return FireStatus::kOk;
}

bool OfxFireInputs::Aborted() {
  const OfxImageEffectSuiteV1& suite = *HostSuites().effects;
  return suite.abort && suite.abort(effect_) != 0;
}
