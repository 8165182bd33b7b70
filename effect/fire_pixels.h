// SPDX-License-Identifier: GPL-2.0-or-later
// The fire's pixels in each layout a front end holds: a source row read as the host lays its
// pixels out, and the heat field coloured straight into an output.
#pragma once

#include <cstdint>

#include "effect/pixel_view.h"
#include "flame/flame_image.h"

// The source as the engine reads it: the pixels themselves where they are laid out as the host
// lays them out or as RGBA bytes (rows 4-byte aligned), else read a row at a time into
// `rowBuffer` (`source.width` pixels): premultiplied rows as straight RGBA (where they lie
// when every pixel is opaque), any other as the host lays pixels out.
FlameSourceImage SourceImageOf(const ConstPixelView& source, FlamePixel* rowBuffer);

// Row y of `source` as the render reads it, in the byte order SourceImageOf gives: where it
// lies where SourceImageOf reads it there (or, premultiplied, where the row is opaque); else
// put in `rowBuffer`.
const FlamePixel* SourceRowAsRead(const ConstPixelView& source, int32_t y,
                                  FlamePixel* rowBuffer);

// Row y of `source`, as the host lays pixels out. Floats become round(clamp(v, 0, 1) * 255),
// NaN 0.
void ReadSourceRow(const ConstPixelView& source, int32_t y, FlamePixel* into);

// Told of each source row a render reads, as SourceRowAsRead gives it, while it is in the
// cache (a front end that digests its source in the same pass).
class SourceRowWatcher {
 public:
  virtual void Seen(int32_t y, const FlamePixel* row) = 0;

 protected:
  ~SourceRowWatcher() = default;
};

// A source whose rows a watcher is shown as a render reads them: each row once the render has
// read it (when it asks for the next, the last one by Finish), so that the watcher reads it
// from the cache. Outlives the render.
class WatchedSource {
 public:
  WatchedSource(const ConstPixelView& view, SourceRowWatcher* watcher)
      : view_(view), watcher_(watcher) {}
  WatchedSource(const WatchedSource&) = delete;
  WatchedSource& operator=(const WatchedSource&) = delete;
  // The source for the render, as SourceImageOf makes it.
  FlameSourceImage Image(FlamePixel* rowBuffer) const;
  // Shows the watcher the last row read.
  void Finish() const;

 private:
  static const FlamePixel* ReadWatchedRow(const void* context, int32_t y,
                                         FlamePixel* rowBuffer);

  ConstPixelView view_;
  SourceRowWatcher* watcher_;
  // The row read last, not yet shown.
  mutable int32_t readY_ = -1;
  mutable const FlamePixel* read_ = nullptr;
};

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
// The same for every row of `output`, from as many rows of the field. The pixels are streamed
// to memory, past the cache (the render's buffers want it; the host reads them later).
void ColourHeatRows(const uint8_t* field, int32_t stride, const FlamePixel colours[256],
                    const PixelView& output);
