// SPDX-License-Identifier: GPL-2.0-or-later
// The OBS filter's pixel passes against the renderer's "over" (cli/media/composite.h) and a
// plain premultiplication, on every alpha pair and every colour pair over opaque sources.
#include "obs/obs_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cli/media/composite.h"

namespace {

uint8_t Premultiplied(uint8_t c, uint8_t a) { return uint8_t(std::lround(c * a / 255.0)); }

TEST(ObsPixels, FireOverAndAloneGiveTheRenderersBytesPremultiplied) {
  const size_t n = 65536 + 3;  // + 3: a tail past the fours
  std::vector<PF_Pixel> fire(n), source(n);
  std::vector<uint8_t> over(n * 4), alone(n * 4), got(n * 4), sourceRgba(n * 4);
  for (int fa = 0; fa < 256; ++fa) {
    for (int opaque = 0; opaque < 2; ++opaque) {  // every source alpha; every colour pair over opaque
      for (size_t i = 0; i < n; ++i) {
        const uint8_t k = uint8_t(i >> 8), j = uint8_t(i);
        fire[i] = PF_Pixel{uint8_t(fa), k, uint8_t(k * 7 + j), uint8_t(255 - k)};
        source[i] = opaque ? PF_Pixel{255, j, k, uint8_t(~j)} : PF_Pixel{j, uint8_t(j * 3 + k), k, uint8_t(fa ^ j)};
        const uint8_t rgba[4] = {fire[i].red, fire[i].green, fire[i].blue, fire[i].alpha};
        const uint8_t under[4] = {source[i].red, source[i].green, source[i].blue, source[i].alpha};
        std::copy(under, under + 4, &sourceRgba[i * 4]);
        for (int c = 0; c < 4; ++c) over[i * 4 + c] = rgba[c], alone[i * 4 + c] = c < 3 ? Premultiplied(rgba[c], rgba[3]) : rgba[3];
      }
      CompositeOver(sourceRgba.data(), over.data(), n);
      for (size_t i = 0; i < over.size(); i += 4)
        for (int c = 0; c < 3; ++c) over[i + c] = Premultiplied(over[i + c], over[i + 3]);
      PremultipliedFireOver(fire.data(), source.data(), n, got.data());
      ASSERT_EQ(got, over) << "fire alpha " << fa;
      PremultipliedFire(fire.data(), n, got.data());
      ASSERT_EQ(got, alone) << "fire alpha " << fa;
    }
  }
}

TEST(ObsPixels, StraightenedPixelsPremultiplyBackToOBSsBytes) {
  std::vector<uint8_t> rgba;  // every alpha with every colour it allows, opaque runs among them
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c <= a; ++c) rgba.insert(rgba.end(), {uint8_t(c), uint8_t(a - c), uint8_t(c / 2), uint8_t(a)});
  std::vector<PF_Pixel> straight(rgba.size() / 4);
  StraightHostPixels(rgba.data(), straight.size(), straight.data());
  for (size_t i = 0; i < straight.size(); ++i) {
    const PF_Pixel& p = straight[i];
    const uint8_t back[4] = {Premultiplied(p.red, p.alpha), Premultiplied(p.green, p.alpha), Premultiplied(p.blue, p.alpha), p.alpha};
    ASSERT_TRUE(std::equal(back, back + 4, &rgba[i * 4]) && (p.alpha || !(p.red | p.green | p.blue))) << i;
  }
}

}  // namespace
