// SPDX-License-Identifier: GPL-2.0-or-later
// OBS's pixels: the filter's "over" against the renderer's (cli/media/composite.h), on every
// alpha pair and every colour pair over opaque sources, and OBS's premultiplied bytes as the
// fire reads its source.
#include "obs/obs_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cli/media/composite.h"
#include "effect/fire_pixels.h"

namespace {

uint8_t Premultiplied(uint8_t c, uint8_t a) { return uint8_t(std::lround(c * a / 255.0)); }

// Every source pixel with every heat: the fire's colour k (alpha fa) over source pixel j, as
// OBS holds it.
TEST(ObsPixels, FireOverGivesTheRenderersBytesPremultiplied) {
  const int32_t n = 65536 + 3;  // + 3: a tail past the fours
  std::vector<uint8_t> heat(n), source(size_t(n) * 4), over(size_t(n) * 4), got(size_t(n) * 4),
      sourceRgba(size_t(n) * 4);
  std::vector<FlamePixel> straight(n);
  for (int32_t i = 0; i < n; ++i) heat[i] = uint8_t(i >> 8);
  for (int fa = 0; fa < 256; ++fa) {
    FlamePixel colours[256];
    for (int k = 0; k < 256; ++k) colours[k] = FlamePixel{uint8_t(fa), uint8_t(k), uint8_t(k * 7), uint8_t(255 - k)};
    OverColours table;
    MakeOverColours(colours, &table);
    for (int opaque = 0; opaque < 2; ++opaque) {  // every source alpha; every colour pair over opaque
      for (int32_t i = 0; i < n; ++i) {
        const uint8_t k = uint8_t(i >> 8), j = uint8_t(i), a = opaque ? 255 : j;
        const uint8_t rgba[4] = {Premultiplied(opaque ? j : uint8_t(j * 3 + k), a), Premultiplied(k, a),
                                 Premultiplied(opaque ? uint8_t(~j) : uint8_t(fa ^ j), a), a};
        std::copy(rgba, rgba + 4, &source[size_t(i) * 4]);
        const FlamePixel& f = colours[heat[i]];
        const uint8_t fire[4] = {f.red, f.green, f.blue, f.alpha};
        std::copy(fire, fire + 4, &over[size_t(i) * 4]);
      }
      // The renderer's "over" on the source as the fire reads it, then premultiplied.
      ReadSourceRow(ConstPixelView{source.data(), n * 4, n, 1, PixelLayout::kRgbaPremultiplied}, 0, straight.data());
      for (int32_t i = 0; i < n; ++i) {
        const FlamePixel& s = straight[i];
        const uint8_t under[4] = {s.red, s.green, s.blue, s.alpha};
        std::copy(under, under + 4, &sourceRgba[size_t(i) * 4]);
      }
      CompositeOver(sourceRgba.data(), over.data(), n);
      for (size_t i = 0; i < over.size(); i += 4)
        for (int c = 0; c < 3; ++c) over[i + c] = Premultiplied(over[i + c], over[i + 3]);
      PremultipliedFireOver(heat.data(), table, source.data(), n, got.data());
      ASSERT_EQ(got, over) << "fire alpha " << fa << (opaque ? ", opaque source" : "");
    }
  }
}

TEST(ObsPixels, StraightenedPixelsPremultiplyBackToOBSsBytes) {
  std::vector<uint8_t> rgba;  // every alpha with every colour it allows, opaque runs among them
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c <= a; ++c) rgba.insert(rgba.end(), {uint8_t(c), uint8_t(a - c), uint8_t(c / 2), uint8_t(a)});
  std::vector<FlamePixel> straight(rgba.size() / 4);
  const int32_t count = static_cast<int32_t>(straight.size());
  ReadSourceRow(ConstPixelView{rgba.data(), count * 4, count, 1, PixelLayout::kRgbaPremultiplied}, 0,
                straight.data());
  for (size_t i = 0; i < straight.size(); ++i) {
    const FlamePixel& p = straight[i];
    const uint8_t back[4] = {Premultiplied(p.red, p.alpha), Premultiplied(p.green, p.alpha), Premultiplied(p.blue, p.alpha), p.alpha};
    ASSERT_TRUE(std::equal(back, back + 4, &rgba[i * 4]) && (p.alpha || !(p.red | p.green | p.blue))) << i;
  }
}

}  // namespace
