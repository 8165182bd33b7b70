// SPDX-License-Identifier: GPL-2.0-or-later
// The fire's pixels in each layout a front end holds: a source row read as the host lays its
// pixels out, and the heat field coloured straight into an output.
#pragma once

#include <cstdint>

#include "effect/pixel_view.h"
#include "flame/flame_image.h"

// The source as the engine reads it: the pixels themselves where they are laid out as the host
// lays them out, else read a row at a time into `rowBuffer` (`source.width` pixels).
FlameSourceImage SourceImageOf(const ConstPixelView& source, FlamePixel* rowBuffer);

// Row y of `source`, as the host lays pixels out. Floats become round(clamp(v, 0, 1) * 255),
// NaN 0.
void ReadSourceRow(const ConstPixelView& source, int32_t y, FlamePixel* into);

// Told of each source row a render reads, as the host lays pixels out, while it is in the
// cache (a front end that digests its source in the same pass).
class SourceRowWatcher {
 public:
  virtual void Seen(int32_t y, const FlamePixel* row) = 0;

 protected:
  ~SourceRowWatcher() = default;
};

struct WatchedSource {
  ConstPixelView view;
  SourceRowWatcher* watcher;
};

// The same as SourceImageOf, every row read into `rowBuffer` and shown to the watcher.
// `source` outlives the render.
FlameSourceImage SourceImageOf(const WatchedSource& source, FlamePixel* rowBuffer);

// A pixel with straight alpha as an 8-bit `layout` holds it: in the host's order, as RGBA, or
// with each colour times alpha, round(c × a / 255); PixelBytes(layout) bytes.
void PutPixel(PixelLayout layout, const FlamePixel& pixel, uint8_t* into);

// `count` host pixels as RGBA bytes: the turn that reading RGBA makes, back.
void RgbaFromHostPixels(const FlamePixel* pixels, int32_t count, uint8_t* rgba);

// The field (`stride` cells a row) coloured into `output`, each heat h as colours[h]: every
// row but the top one, which stays transparent as the host's output starts. Not into RGB
// weighted by alpha: that is the fire over black (effect/fire_over.h).
void ColourHeatInto(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const PixelView& output);
