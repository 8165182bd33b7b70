// SPDX-License-Identifier: GPL-2.0-or-later
// One instance of the effect in a host: its clips and parameters, and a fire of its own on a
// timeline where frame t is the same whatever order the host asks in. Each action takes the
// instance's lock, so a host may send parameter changes or cache purges on one thread while
// another renders.
#pragma once

#include <array>

#include "ofx/fire_params.h"
#include "ofx/fire_timeline.h"
#include "effect/instance_lock.h"
#include "ofx/ofx_api.h"
#include "ofx/ofx_image.h"

class OfxFireInstance {
 public:
  // Frames the fire burns on, unfed, after its source ends; later ones are transparent.
  static constexpr int32_t kFramesPastSource = 65536;

  // OfxActionCreateInstance: makes the instance and hangs it on the effect's instance data.
  static OfxStatus Create(OfxImageEffectHandle effect);
  // The instance made for `effect`, or null.
  static OfxFireInstance* Of(OfxImageEffectHandle effect);
  static OfxStatus Destroy(OfxImageEffectHandle effect);

  OfxStatus Render(OfxPropertySetHandle inArgs);
  OfxStatus FramesNeeded(OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);
  OfxStatus InstanceChanged(OfxPropertySetHandle inArgs);
  OfxStatus PurgeCaches();

  // The handles of the instance's parameters, in FireParams() order, and its source.
  const std::array<OfxParamHandle, kFireParamCount>& Params() const { return params_; }
  OfxImageClipHandle SourceClip() const { return source_; }
  OfxImageEffectHandle Effect() const { return effect_; }

 private:
  explicit OfxFireInstance(OfxImageEffectHandle effect) : effect_(effect) {}
  bool Connect();
  OfxStatus RenderFrame(double time, const OfxRectI& window, const OfxImageView& view);
  // The source clip's frame range, each end only where it has one (not the interface's
  // "infinite").
  bool SourceRange(int end, double* time) const;
  // The time of frame 1: the start of the source clip's frame range.
  double FirstTime() const;
  // The last frame of the fire: kFramesPastSource after the source's last, at most the
  // timeline's last.
  int32_t LastFrame(double firstTime) const;
  // The fire's frame in pixels, the source's own region at frame 1; false where the source has
  // none (unbounded, or not connected).
  bool SourceRegion(double firstTime, OfxRectI* region) const;
  // A host time to a frame (1 at firstTime), or 0 before it.
  static int32_t FrameAt(double time, double firstTime);

  OfxImageEffectHandle effect_;
  OfxImageClipHandle source_ = nullptr;
  OfxImageClipHandle output_ = nullptr;
  std::array<OfxParamHandle, kFireParamCount> params_{};
  OfxParamSetHandle paramSet_ = nullptr;
  OfxParamHandle presetChoice_ = nullptr;
  InstanceLock lock_;
  FireTimeline timeline_;
  // What the fire's frames are made from: the time of frame 1 and the frame's place.
  double firstTime_ = 0.0;
  OfxRectI frame_{};
};
