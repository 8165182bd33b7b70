// The Options viewer's preview for the page: the values the viewer is handed, taken from the
// fire's parameters when the preview opens, its own preview field at the viewer's size,
// stepped once per frame and drawn as `fyrel preview` draws it, as opaque RGBA.
#pragma once

#include <cstdint>
#include <vector>

#include "cli/preview_image.h"
#include "flame/flame_state.h"

class EffectHost;

class WebPreview {
 public:
  // A cold field, with the engine state of a fresh start, as `fyrel preview` begins.
  explicit WebPreview(const EffectHost& host);

  // One preview step, then the picture in Rgba().
  void Step();
  const std::vector<uint8_t>& Rgba() const { return rgba_; }
  // The picture as `fyrel preview` writes it: opaque RGB.
  const std::vector<uint8_t>& Rgb() const { return rgb_; }
  int32_t Width() const { return flame_.Columns(); }
  int32_t Height() const { return flame_.ShownRows(); }

 private:
  PreviewFlame flame_;
  FlameState state_;
  std::vector<uint8_t> rgb_;
  std::vector<uint8_t> rgba_;
};
