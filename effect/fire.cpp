// SPDX-License-Identifier: GPL-2.0-or-later
#include "effect/fire.h"

#include <cstring>
#include <new>

#include "effect/fire_over.h"
#include "effect/fire_pixels.h"
#include "flame/heat_colour.h"
#include "flame/page_memory.h"

namespace {

inline int LowByteOf(int32_t value) { return value & 0xFF; }

inline FlameColor ColorOf(int32_t rgb) {
  return MakeFlameColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

}  // namespace

EffectValues DefaultEffectValues() {
  EffectValues values{};
  for (int i = 0; i < kEffectParamCount; ++i) {
    const EffectParam& param = kEffectParams[i];
    values[i] = param.kind == ParamKind::kColor ? param.dephault & 0xFFFFFF : param.dephault;
  }
  return values;
}

FlameRenderValues RenderValuesOf(const EffectValues& values, int32_t frame, int32_t width,
                                 int32_t height) {
  const auto at = [&values](FlameParam position) { return values[position - 1]; };
  FlameRenderValues v{};
  v.velocity = LowByteOf(at(kParamVelocity));
  v.height = LowByteOf(at(kParamHeight));
  v.soot = LowByteOf(at(kParamSoot));
  v.width = LowByteOf(at(kParamWidth));
  v.amplitude = LowByteOf(at(kParamAmplitude));
  v.alpha = at(kParamAlpha);
  v.color1 = ColorOf(at(kParamColor1));
  v.color2 = ColorOf(at(kParamColor2));
  v.color3 = ColorOf(at(kParamColor3));
  v.color4 = ColorOf(at(kParamColor4));
  v.color2Position = LowByteOf(at(kParamColor2Position));
  v.color3Position = LowByteOf(at(kParamColor3Position));
  v.customColor = LowByteOf(at(kParamCustomColor));
  v.birth = at(kParamBirth);
  v.drop = at(kParamDrop);
  v.invertSource = at(kParamInvertSource);
  v.fireDirection = at(kParamFireDirection);
  v.frameIndex = frame;
  v.frameWidth = width;
  v.frameHeight = height;
  return v;
}

FlameRenderResult RenderEffectFrame(FlameState& state, FlameSequenceData& buffers,
                                    const FlameRenderValues& values,
                                    const ConstPixelView& source, FlamePixel* rowBuffer,
                                    const FlameOutputImage& output) {
  return RenderFlame(state, buffers, values, SourceImageOf(source, rowBuffer), output);
}

Fire::~Fire() { ReleaseFlameBuffers(sequence_); }

bool Fire::Render(int32_t frame, int32_t width, int32_t height, const ConstPixelView& source,
                  SourceRowWatcher* watcher) {
  if (!source.Empty() && row_.size() < static_cast<size_t>(source.width)) {
    try {
      row_.resize(static_cast<size_t>(source.width));
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  // The field's rows are the frame's width: the output is coloured apart, wherever it lies.
  const FlameOutputImage none = {nullptr, width, height, width};
  const FlameRenderValues values = RenderValuesOf(values_, frame < 1 ? 1 : frame, width, height);
  if (!watcher || source.Empty()) {
    return RenderFlame(state_, sequence_, values, SourceImageOf(source, row_.data()), none) ==
           FlameRenderResult::kDone;
  }
  const WatchedSource watched(source, watcher);
  const FlameRenderResult result =
      RenderFlame(state_, sequence_, values, watched.Image(row_.data()), none);
  watched.Finish();
  return result == FlameRenderResult::kDone;
}

bool Fire::Render(int32_t frame, const ConstPixelView& source, const PixelView& output) {
  return RenderColoured(frame, source, output, false);
}

bool Fire::RenderOver(int32_t frame, const ConstPixelView& source, const PixelView& output) {
  return LaysOver(source, output) && RenderColoured(frame, source, output, true);
}

bool Fire::RenderColoured(int32_t frame, const ConstPixelView& source, const PixelView& output,
                          bool over) {
  if (!Render(frame, output.width, output.height, source)) return false;
  if (!sequence_.field || output.Empty()) return true;
  FlamePixel colours[256];
  Colours(colours);
  // RGB weighted by alpha is the fire over black, as a video without alpha shows it.
  if (over || output.layout == PixelLayout::kRgbWeighted) {
    ColourHeatOver(sequence_.field, sequence_.width, colours, over ? source : ConstPixelView{},
                   output);
  } else {
    ColourHeatInto(sequence_.field, sequence_.width, colours, output);
  }
  return true;
}

void Fire::Colours(FlamePixel colours[256]) const {
  for (int h = 0; h < 256; ++h) {
    colours[h] = FlameHeatPixel(static_cast<uint8_t>(h), state_.renderColorTable,
                                values_[kParamAlpha - 1]);
  }
}

size_t Fire::CellBytes() const {
  return sequence_.field ? static_cast<size_t>(sequence_.width) * sequence_.height : 0;
}

bool Fire::Resize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return false;
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  FlameSequenceData made{};
  made.mask = static_cast<uint8_t*>(AllocatePages(size));
  made.field = static_cast<uint8_t*>(AllocatePages(size));
  made.drops = static_cast<uint8_t*>(AllocatePages(size));
  if (!made.mask || !made.field || !made.drops) {
    ReleaseFlameBuffers(made);
    return false;
  }
  made.width = width;
  made.height = height;
  ReleaseFlameBuffers(sequence_);
  sequence_ = made;
  state_ = FlameState{};
  return true;
}

void Fire::Restart() {
  state_ = FlameState{};
  const size_t cells = CellBytes();
  for (uint8_t* buffer : {sequence_.mask, sequence_.field, sequence_.drops}) {
    if (buffer) std::memset(buffer, 0, cells);
  }
}

void Fire::Reset() {
  ReleaseFlameBuffers(sequence_);
  state_ = FlameState{};
}
