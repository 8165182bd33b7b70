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
    case FireParamKind::kInteger:
    case FireParamKind::kBoolean: {
      int v = 0;
      if (suite.paramGetValueAtTime(handle, time, &v) != ofx::kStatOK) return false;
      *value = FireIntegerValue(param, v);
      return true;
    }
    case FireParamKind::kColor: {
      double r = 0, g = 0, b = 0;
      if (suite.paramGetValueAtTime(handle, time, &r, &g, &b) != ofx::kStatOK) return false;
      *value = FireColorValue(param, r, g, b);
      return true;
    }
    case FireParamKind::kAngle: {
      double degrees = 0;
      if (suite.paramGetValueAtTime(handle, time, &degrees) != ofx::kStatOK) return false;
      *value = FireAngleValue(param, degrees);
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

FireStatus OfxFireInputs::Source(int32_t frame, PF_Pixel* pixels) {
  return ReadSource(frame, pixels, nullptr);
}

FireStatus OfxFireInputs::DigestedSource(int32_t frame, PF_Pixel* pixels, size_t,
                                         uint64_t* digest) {
  PixelDigest made;
  const FireStatus status = ReadSource(frame, pixels, &made);
  if (status == FireStatus::kOk) *digest = made.Value();
  return status;
}

FireStatus OfxFireInputs::ReadSource(int32_t frame, PF_Pixel* pixels, PixelDigest* digest) {
  const OfxImageEffectSuiteV1& suite = *HostSuites().effects;
  const size_t count = static_cast<size_t>(frame_.x2 - frame_.x1) *
                       static_cast<size_t>(frame_.y2 - frame_.y1);
  OfxPropertySetHandle image = nullptr;
  const double time = TimeOf(frame);
  if (!source_ || suite.clipGetImage(source_, time, nullptr, &image) != ofx::kStatOK || !image) {
    // A source that has frames here must give them: a fire fed nothing in their place would
    // be another fire.
    if (time <= lastTime_ + 1e-6) {
      sourceMissing_ = true;
      return FireStatus::kInputFailed;
    }
    // An unconnected source, or a time past its end: nothing feeds the fire.
    std::fill(pixels, pixels + count, PF_Pixel{0, 0, 0, 0});
    if (digest) digest->Add(pixels, count);
    return FireStatus::kOk;
  }
  OfxImageView view;
  sourceRead_ = ReadImageView(image, &view);
  if (sourceRead_ == OfxImageRead::kOk) CopyImageToFrame(view, frame_, pixels, digest);
  suite.clipReleaseImage(image);
  return sourceRead_ == OfxImageRead::kOk ? FireStatus::kOk : FireStatus::kInputFailed;
}

bool OfxFireInputs::Aborted() {
  const OfxImageEffectSuiteV1& suite = *HostSuites().effects;
  return suite.abort && suite.abort(effect_) != 0;
}
