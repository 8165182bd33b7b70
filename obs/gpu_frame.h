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
  // and maps it; `use` sees its RGBA bytes, premultiplied, rows `rowBytes` apart.
  // False when drawing or mapping fails, or `use` returns false.
  template <typename Use>
  bool ReadBack(obs_source_t* filter, uint32_t width, uint32_t height, Use&& use) {
    const uint8_t* data = nullptr;
    uint32_t rowBytes = 0;
    if (!Map(filter, width, height, &data, &rowBytes)) return false;
    const bool ok = use(data, rowBytes);
    Unmap();
    return ok;
  }
  // Uploads width × height RGBA pixels, premultiplied, without padding.
  bool Upload(const uint8_t* rgba, uint32_t width, uint32_t height);
  // Draws the last upload at the origin with the caller's blending (premultiplied "over").
  void Draw() const;
  void Release();

 private:
  bool Map(obs_source_t* filter, uint32_t width, uint32_t height, const uint8_t** data,
           uint32_t* rowBytes);
  void Unmap();

  gs_texrender_t* texrender_ = nullptr;
  gs_stagesurf_t* stage_ = nullptr;
  gs_texture_t* texture_ = nullptr;
};
