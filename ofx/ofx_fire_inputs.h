// SPDX-License-Identifier: GPL-2.0-or-later
// What each frame of the fire is made from, read through the host: the parameters at the
// frame's own time and the source clip's image at that time. A parameter without keyframes is
// read at each frame's time too: an expression or a link changes it with time, and the host
// still reports no keyframes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ofx/fire_params.h"
#include "ofx/fire_timeline.h"
#include "ofx/ofx_api.h"
#include "ofx/ofx_image.h"

class OfxFireInputs : public FireInputs {
 public:
  // Frame 1 is at `firstTime`; source pixels cover `frame` (pixel space).
  OfxFireInputs(OfxImageEffectHandle effect, OfxImageClipHandle source,
                const std::array<OfxParamHandle, kFireParamCount>& params, double firstTime,
                const OfxRectI& frame);
  ~OfxFireInputs() override;
  OfxFireInputs(const OfxFireInputs&) = delete;
  OfxFireInputs& operator=(const OfxFireInputs&) = delete;

  bool Values(int32_t frame, FireValues* values) override;
  // The host's image itself where it covers the frame; else a copy, transparent beside it.
  FireStatus Source(int32_t frame, ConstPixelView* source) override;
  bool Aborted() override;

  // How the last source image read: kOk, or why the plug-in could not read it.
  OfxImageRead SourceRead() const { return sourceRead_; }
  // The host gave no image of a connected source within its frame range.
  bool SourceMissing() const { return sourceMissing_; }

 private:
  double TimeOf(int32_t frame) const { return firstTime_ + (frame - 1); }
  bool Read(int index, double time, int32_t* value) const;
  void ReleaseImage();

  OfxImageEffectHandle effect_;
  OfxImageClipHandle source_;
  const std::array<OfxParamHandle, kFireParamCount>& params_;
  double firstTime_;
  OfxRectI frame_;
  double lastTime_;  // the source's last frame, when it is connected; below firstTime else
  OfxImageRead sourceRead_ = OfxImageRead::kOk;
  bool sourceMissing_ = false;
  OfxPropertySetHandle image_ = nullptr;  // the source image held, until the next is read
  std::vector<FlamePixel> copy_;  // the frame, where the image does not cover it
};
