// SPDX-License-Identifier: GPL-2.0-or-later
// The Options viewer's preview for the page: the twelve values the viewer is shown, taken from
// the fire's values when the preview opens, a preview field of its own at the viewer's
// size with the engine state of a freshly loaded effect, stepped once per frame and drawn as
// `fyrel preview` draws it, also as opaque RGBA for a canvas.
#pragma once

#include <cstdint>
#include <vector>

#include "effect/fire.h"
#include "pictures/preview_image.h"

class WebPreview {
 public:
  // A cold field, as the viewer opens and as `fyrel preview` begins.
  explicit WebPreview(const EffectValues& values);

  // One preview step, then its picture in Rgb() and Rgba().
  void Step();
  const std::vector<uint8_t>& Rgb() const { return rgb_; }
  const std::vector<uint8_t>& Rgba() const { return rgba_; }
  int32_t Width() const { return flame_.ShownWidth(); }
  int32_t Height() const { return flame_.ShownRows(); }

 private:
  PreviewFlame flame_;
  std::vector<uint8_t> rgb_;
  std::vector<uint8_t> rgba_;
};
