// SPDX-License-Identifier: GPL-2.0-or-later
// What the host tests share: a started host of our own around the effect's entry, the fire of
// the process's instance of the effect, a look into the sequence record it keeps, a step
// counter read from the band phase, and plain source images. Every helper makes its starting
// point explicit, because the process's fire (reset flag, step credit, generator, band phase)
// outlives each test.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "flame/flame_field.h"
#include "flame/flame_sequence.h"
#include "flame/flame_state.h"
#include "host/effect_main.h"
#include "minihost/effect_host.h"

namespace hosttest {

// The fire of the instance that the effect's entry runs.
inline FlameState& Fire() { return ProcessEffectInstance().flame; }

// A host that has sent global, parameter and sequence setup, with a frame of this size.
inline std::unique_ptr<EffectHost> StartedHost(int32_t width, int32_t height,
                                               int32_t stride = 0) {
  auto host = std::make_unique<EffectHost>(EffectMain);
  host->Start();
  host->SetFrame(width, height, stride);
  return host;
}

// The sequence record behind the host's handle, or null.
inline FlameSequenceData* Record(EffectHost& host) {
  PF_Handle handle = host.SequenceHandle();
  return handle ? static_cast<FlameSequenceData*>(*handle) : nullptr;
}

inline std::vector<uint8_t> FieldOf(EffectHost& host) {
  FlameSequenceData* record = Record(host);
  const size_t size = static_cast<size_t>(host.OutputStride()) * host.FrameHeight();
  return std::vector<uint8_t>(record->field, record->field + size);
}

inline std::vector<uint8_t> MaskOf(EffectHost& host) {
  FlameSequenceData* record = Record(host);
  const size_t size = static_cast<size_t>(host.OutputStride()) * host.FrameHeight();
  return std::vector<uint8_t>(record->mask, record->mask + size);
}

// The output world as the effect sees it; tests fill it with a marker before a render that
// keeps the previous contents, to see which pixels the render writes.
inline PF_Pixel* OutputPixels(EffectHost& host) {
  return const_cast<PF_Pixel*>(host.Output().data());
}

// The band phase after `steps` render steps from 0, with one band per step (frames of at most
// 46 rows and "Width" of 38 or more, where every band is 38 rows tall).
inline float BandPhaseAfter(int steps, int velocity) {
  const float d = static_cast<float>(velocity * static_cast<double>(0.0001f));
  float phase = 0.0f;
  for (int i = 0; i < steps; ++i) phase = static_cast<float>(static_cast<double>(phase) + d);
  return phase;
}

// Renders `frame` and returns how many field steps it ran, read from the band phase (which
// every step advances by one band here); -1 when no count up to 200 matches.
inline int StepsOfRender(EffectHost& host, int32_t frame) {
  const int velocity = host.Param(host.FindParam("Velocity")).u.sd.value & 0xFF;
  hosttest::Fire().bandPhase = 0.0f;
  host.Render(frame);
  for (int steps = 0; steps <= 200; ++steps) {
    if (hosttest::Fire().bandPhase == BandPhaseAfter(steps, velocity)) return steps;
  }
  return -1;
}

inline std::vector<PF_Pixel> SolidImage(int32_t width, int32_t height, PF_Pixel pixel) {
  return std::vector<PF_Pixel>(static_cast<size_t>(width) * height, pixel);
}

// A bright, opaque disc on a dark, opaque ground: enough source to keep a fire burning.
inline std::vector<PF_Pixel> DiscImage(int32_t width, int32_t height) {
  std::vector<PF_Pixel> image(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t dx = x - width / 2, dy = y - height * 2 / 3;
      const bool inside = dx * dx + dy * dy < (width * width) / 16;
      const uint8_t level = static_cast<uint8_t>(inside ? 230 - 3 * (x % 7) : 20 + y % 5);
      image[static_cast<size_t>(y) * width + x] = {255, level, static_cast<uint8_t>(level / 2),
                                                   static_cast<uint8_t>(level / 4)};
    }
  }
  return image;
}

}  // namespace hosttest
