// The OBS filter's pixel passes against the renderer's "over" (cli/media/composite.h) and a
// plain premultiplication, on every alpha pair and every colour pair over opaque sources.
#include "obs/obs_pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cli/media/composite.h"

namespace {

uint8_t Premultiplied(uint8_t c, uint8_t a) { return uint8_t(std::lround(c * a / 255.0)); }

// `fire` and `source` as the host holds them; the expected bytes, then the filter's.
void ExpectOver(const std::vector<PF_Pixel>& fire, const std::vector<PF_Pixel>& source) {
  std::vector<uint8_t> want(fire.size() * 4), alone(fire.size() * 4), got(fire.size() * 4);
  for (size_t i = 0; i < fire.size(); ++i) {
    const PF_Pixel& f = fire[i];
    const uint8_t rgba[4] = {f.red, f.green, f.blue, f.alpha};
    for (int c = 0; c < 4; ++c) want[i * 4 + c] = rgba[c];
    for (int c = 0; c < 3; ++c) alone[i * 4 + c] = Premultiplied(rgba[c], f.alpha);
    alone[i * 4 + 3] = f.alpha;
  }
  CompositeOverHostPixels(source.data(), want.data(), fire.size());
  for (size_t i = 0; i < want.size(); i += 4)
    for (int c = 0; c < 3; ++c) want[i + c] = Premultiplied(want[i + c], want[i + 3]);
  PremultipliedFireOver(fire.data(), source.data(), fire.size(), got.data());
  ASSERT_EQ(got, want);
  PremultipliedFire(fire.data(), fire.size(), got.data());
  ASSERT_EQ(got, alone);
}

TEST(ObsPixels, FireOverAndAloneGiveTheRenderersBytesPremultiplied) {
  std::vector<PF_Pixel> fire(65536 + 3), source(65536 + 3);  // + 3: a tail past the fours
  for (int fa = 0; fa < 256; ++fa) {  // every alpha pair, colours varied
    for (int i = 0; i < 65539; ++i) {
      const int sa = i & 255, k = i >> 8;
      fire[i] = PF_Pixel{uint8_t(fa), uint8_t(k), uint8_t(k * 7 + sa), uint8_t(255 - k)};
      source[i] = PF_Pixel{uint8_t(sa), uint8_t(sa * 3 + k), uint8_t(k), uint8_t(fa ^ sa)};
    }
    ExpectOver(fire, source);
    for (int i = 0; i < 65539; ++i) {  // over opaque sources: every fire colour on every colour
      fire[i] = PF_Pixel{uint8_t(fa), uint8_t(i >> 8), uint8_t(i), uint8_t(i >> 8)};
      source[i] = PF_Pixel{255, uint8_t(i), uint8_t(i >> 8), uint8_t(~i)};
    }
    ExpectOver(fire, source);
  }
}

TEST(ObsPixels, StraightenedPixelsPremultiplyBackToOBSsBytes) {
  std::vector<uint8_t> rgba;
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c <= a; ++c) rgba.insert(rgba.end(), {uint8_t(c), uint8_t(a - c), uint8_t(c / 2), uint8_t(a)});
  std::vector<PF_Pixel> straight(rgba.size() / 4);
  StraightHostPixels(rgba.data(), straight.size(), straight.data());
  for (size_t i = 0; i < straight.size(); ++i) {
    const PF_Pixel& p = straight[i];
    const uint8_t back[4] = {Premultiplied(p.red, p.alpha), Premultiplied(p.green, p.alpha), Premultiplied(p.blue, p.alpha), p.alpha};
    ASSERT_TRUE(std::equal(back, back + 4, &rgba[i * 4])) << "pixel " << i;
    if (p.alpha == 0) {
      ASSERT_EQ(p.red | p.green | p.blue, 0);
    }
  }
}

}  // namespace
