// SPDX-License-Identifier: GPL-2.0-or-later
#include "web/web_preview.h"

#include "shared/preview_size.h"
#include "host/viewer_values.h"
#include "minihost/effect_host.h"

namespace {

PreviewFlame OpenPreview(EffectHost& host) {
  const PreviewSize size = DefaultPreviewSize();
  return PreviewFlame(size.width, size.height, ViewerValuesFromParams(host.ParamArray()));
}

}  // namespace

WebPreview::WebPreview(EffectHost& host) : flame_(OpenPreview(host)) {}

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
