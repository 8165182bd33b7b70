// SPDX-License-Identifier: GPL-2.0-or-later
// The filter's round trip through the graphics card: its target drawn into a texture of its
// own size and mapped for the CPU, and the CPU's result uploaded and drawn. Every call runs on
// the graphics thread (in video_render), Release() within obs_enter_graphics().
#pragma once

#include <cstdint>

#include <obs-module.h>

class GpuFrame {
 public:
  GpuFrame() = default;
  GpuFrame(const GpuFrame&) = delete;
  GpuFrame& operator=(const GpuFrame&) = delete;

  // Draws the target of `filter` (the next filter or the source) into a width × height texture
  // and maps it, and maps the texture the filter draws: `work(source, sourceRowBytes, out,
  // outRowBytes)` reads the target's RGBA bytes and writes the filter's, both premultiplied.
  // False when drawing or mapping fails, or `work` returns false.
  template <typename Work>
  bool Process(obs_source_t* filter, uint32_t width, uint32_t height, Work&& work) {
    const uint8_t* source = nullptr;
    uint8_t* out = nullptr;
    uint32_t sourceRowBytes = 0, outRowBytes = 0;
    if (!Map(filter, width, height, &source, &sourceRowBytes, &out, &outRowBytes)) return false;
    const bool ok = work(source, sourceRowBytes, out, outRowBytes);
    Unmap();
    return ok;
  }
  // Draws the last result at the origin with the caller's blending (premultiplied "over"),
  // each texel sampled alone: a filtering sampler takes in neighbours on large textures.
  void Draw();
  void Release();

 private:
  bool Map(obs_source_t* filter, uint32_t width, uint32_t height, const uint8_t** source,
           uint32_t* sourceRowBytes, uint8_t** out, uint32_t* outRowBytes);
  void Unmap();
  // The module's effect that draws each texel alone (the default effect's "Draw", but for the
  // sampler): the source is drawn through it where OBS renders it straight into the filter.
  gs_effect_t* TexelEffect();

  gs_texrender_t* texrender_ = nullptr;
  gs_stagesurf_t* stage_ = nullptr;
  gs_texture_t* texture_ = nullptr;
  gs_effect_t* texel_ = nullptr;  // draws texels as they are, whatever the size
};
