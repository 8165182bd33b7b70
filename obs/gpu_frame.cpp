// SPDX-License-Identifier: GPL-2.0-or-later
#include "obs/gpu_frame.h"

#include <graphics/vec4.h>

bool GpuFrame::Map(obs_source_t* filter, uint32_t width, uint32_t height, const uint8_t** source,
                   uint32_t* sourceRowBytes, uint8_t** out, uint32_t* outRowBytes) {
  if (!texrender_) texrender_ = gs_texrender_create(GS_RGBA, GS_ZS_NONE);
  if (stage_ && (gs_stagesurface_get_width(stage_) != width ||
                 gs_stagesurface_get_height(stage_) != height)) {
    gs_stagesurface_destroy(stage_);
    stage_ = nullptr;
  }
  if (!stage_) stage_ = gs_stagesurface_create(width, height, GS_RGBA);
  if (texture_ && (gs_texture_get_width(texture_) != width ||
                   gs_texture_get_height(texture_) != height)) {
    gs_texture_destroy(texture_);
    texture_ = nullptr;
  }
  if (!texture_) texture_ = gs_texture_create(width, height, GS_RGBA, 1, nullptr, GS_DYNAMIC);
  if (!texrender_ || !stage_ || !texture_) return false;

  gs_texrender_reset(texrender_);
  if (!gs_texrender_begin(texrender_, width, height)) return false;
  vec4 clear;
  vec4_zero(&clear);
  gs_clear(GS_CLEAR_COLOR, &clear, 0.0f, 0);
  gs_ortho(0.0f, static_cast<float>(width), 0.0f, static_cast<float>(height), -100.0f, 100.0f);
  // The target's pixels as they are, not blended with the cleared texture, drawn as OBS draws
  // a filter's target: straight from the source where it can, through a texture of its own
  // where the target is another filter.
  gs_blend_state_push();
  gs_blend_function(GS_BLEND_ONE, GS_BLEND_ZERO);
  if (obs_source_process_filter_begin(filter, GS_RGBA, OBS_ALLOW_DIRECT_RENDERING)) {
    obs_source_process_filter_end(filter, TexelEffect(), width, height);
  }
  gs_blend_state_pop();
  gs_texrender_end(texrender_);

  gs_stage_texture(stage_, gs_texrender_get_texture(texrender_));
  uint8_t* mapped = nullptr;
  if (!gs_stagesurface_map(stage_, &mapped, sourceRowBytes)) return false;
  *source = mapped;
  if (gs_texture_map(texture_, out, outRowBytes)) return true;
  gs_stagesurface_unmap(stage_);
  return false;
}

void GpuFrame::Unmap() {
  gs_texture_unmap(texture_);
  gs_stagesurface_unmap(stage_);
}

gs_effect_t* GpuFrame::TexelEffect() {
  if (!texel_) {
    char* path = obs_module_file("effects/texel.effect");
    if (path) texel_ = gs_effect_create_from_file(path, nullptr);
    bfree(path);
  }
  return texel_ ? texel_ : obs_get_base_effect(OBS_EFFECT_DEFAULT);
}

void GpuFrame::Draw() {
  if (!texture_) return;
  // GS_RGBA is an sRGB format: it is sampled decoded and written encoded, so that its bytes
  // arrive unchanged, as OBS's own filters draw.
  gs_effect_t* effect = TexelEffect();
  gs_eparam_t* image = gs_effect_get_param_by_name(effect, "image");
  const bool previous = gs_framebuffer_srgb_enabled();
  gs_enable_framebuffer_srgb(true);
  gs_effect_set_texture_srgb(image, texture_);
  while (gs_effect_loop(effect, "Draw")) {
    gs_draw_sprite(texture_, 0, gs_texture_get_width(texture_), gs_texture_get_height(texture_));
  }
  gs_enable_framebuffer_srgb(previous);
}

void GpuFrame::Release() {
  gs_texrender_destroy(texrender_);
  gs_stagesurface_destroy(stage_);
  gs_texture_destroy(texture_);
  gs_effect_destroy(texel_);
  texel_ = nullptr;
  texrender_ = nullptr;
  stage_ = nullptr;
  texture_ = nullptr;
}
