// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/web_preview.h"

#include "pictures/preview_size.h"

namespace {

PreviewFlame OpenPreview(const EffectValues& values) {
  const PreviewSize size = DefaultPreviewSize();
  return PreviewFlame(size.width, size.height, ViewerValuesOf(values));
}

}  // namespace

WebPreview::WebPreview(const EffectValues& values) : flame_(OpenPreview(values)) {}

void WebPreview::Step() {
  flame_.Step();
  flame_.Draw(&rgb_);
  rgba_.resize(rgb_.size() / 3 * 4);
  for (size_t from = 0, to = 0; from < rgb_.size(); from += 3, to += 4) {
    rgba_[to] = rgb_[from];
    rgba_[to + 1] = rgb_[from + 1];
    rgba_[to + 2] = rgb_[from + 2];
    rgba_[to + 3] = 255;
  }
}
