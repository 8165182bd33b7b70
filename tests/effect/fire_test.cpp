// SPDX-License-Identifier: GPL-2.0-or-later
// The Fire against the effect driven through its commands by the host of our own: the same
// bytes, frame for frame, whatever layout and row order the source and the output have.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effect/fire.h"
#include "fire_reference.h"

namespace {

constexpr int32_t kWidth = 61, kHeight = 43, kFrames = 12;

// Pixels laid out in a buffer of their own: `padding` bytes after each row, rows bottom up
// when `upward`, the first pixel `offset` bytes into the buffer.
struct Laid {
  std::vector<uint8_t> bytes;
  PixelView view;
};

Laid Lay(PixelLayout layout, int padding, bool upward, int offset) {
  Laid laid;
  const ptrdiff_t row = static_cast<ptrdiff_t>(kWidth) * 4 + padding;
  laid.bytes.assign(static_cast<size_t>(row * kHeight + offset), 0xA5);
  uint8_t* first = laid.bytes.data() + offset;
  laid.view = {upward ? first + row * (kHeight - 1) : first, upward ? -row : row, kWidth, kHeight,
               layout};
  return laid;
}

// RGBA bytes into a laid-out view, and back.
void Put(const std::vector<uint8_t>& rgba, const PixelView& view) {
  for (int32_t y = 0; y < view.height; ++y) {
    for (int32_t x = 0; x < view.width; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * view.width + x) * 4];
      uint8_t* q = view.Row(y) + 4 * x;
      const uint8_t argb[4] = {p[3], p[0], p[1], p[2]};
      std::memcpy(q, view.layout == PixelLayout::kHostArgb ? argb : p, 4);
    }
  }
}
std::vector<uint8_t> Take(const PixelView& view) {
  std::vector<uint8_t> rgba(static_cast<size_t>(view.width) * view.height * 4);
  for (int32_t y = 0; y < view.height; ++y) {
    for (int32_t x = 0; x < view.width; ++x) {
      const uint8_t* q = view.Row(y) + 4 * x;
      uint8_t* p = &rgba[(static_cast<size_t>(y) * view.width + x) * 4];
      const uint8_t fromArgb[4] = {q[1], q[2], q[3], q[0]};
      std::memcpy(p, view.layout == PixelLayout::kHostArgb ? fromArgb : q, 4);
    }
  }
  return rgba;
}

}  // namespace

TEST(Fire, GivesTheEffectsBytesInEveryLayout) {
  struct Case {
    const char* name;
    PixelLayout source, output;
    int padding;
    bool upward;
    int offset;
    std::vector<EffectSetting> settings;
  };
  const std::vector<EffectSetting> custom = {
      {"Velocity", 90}, {"Height", 30}, {"Soot", 7}, {"Custom Color", 1}, {"Color 2", 0x40C0FF},
      {"Color 2 Position", 60}, {"Birth", 0}, {"Invert Source", 0}, {"Fire Direction", 100 << 16},
      {"Alpha", 120}};
  const Case cases[] = {
      {"RGBA, packed", PixelLayout::kRgba, PixelLayout::kRgba, 0, false, 0, {}},
      {"RGBA, bottom up, padded, odd address", PixelLayout::kRgba, PixelLayout::kRgba, 12, true, 3, custom},
      {"host pixels, packed", PixelLayout::kHostArgb, PixelLayout::kHostArgb, 0, false, 0, custom},
      {"host pixels, padded rows of odd length", PixelLayout::kHostArgb, PixelLayout::kRgba, 3, false, 1, {}},
      {"host pixels bottom up into RGBA", PixelLayout::kHostArgb, PixelLayout::kRgba, 8, true, 0, custom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReferenceFire reference(kWidth, kHeight);
    ASSERT_TRUE(reference.Started());
    Fire fire;
    for (const EffectSetting& setting : c.settings) {
      ASSERT_TRUE(reference.Set(setting));
      const EffectParam* param = FindEffectParam(setting.first);
      fire.SetValue(param->position, setting.second);
    }
    Laid source = Lay(c.source, c.padding, c.upward, c.offset);
    Laid output = Lay(c.output, c.padding, !c.upward, c.offset);
    bool burns = false;
    // Frames 1 .. kFrames, then frame 1 again: the stepping restarts, the rest carries on.
    for (int32_t k = 1; k <= kFrames + 1; ++k) {
      const int32_t frame = k <= kFrames ? k : 1;
      const std::vector<uint8_t> rgba = TestSource(kWidth, kHeight, k);
      Put(rgba, source.view);
      ASSERT_TRUE(fire.Render(frame, ConstPixelView{source.view.top, source.view.rowBytes, kWidth,
                                                    kHeight, c.source},
                              output.view));
      const std::vector<uint8_t> want = reference.Render(frame, rgba);
      ASSERT_EQ(Take(output.view), want) << "frame " << k;
      for (size_t i = 3; i < want.size(); i += 4) burns = burns || want[i] != 0;
    }
    EXPECT_TRUE(burns) << "no fire at all: the comparison proves little";
    // Padding stays as it was: nothing is written outside the frame.
    if (c.padding > 0) {
      EXPECT_EQ(output.bytes[c.offset + kWidth * 4], 0xA5);
    }
  }
}

// Without a source nothing feeds the fire; at a new frame size the fire starts again at that
// size, as the effect's does in one sequence.
TEST(Fire, NoSourceAndANewSizeAreTheEffects) {
  ReferenceFire reference(kWidth, kHeight);
  Fire fire;
  std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight * 4);
  for (int32_t k = 1; k <= 4; ++k) {
    ASSERT_TRUE(fire.Render(k, ConstPixelView{}, PackedView(out.data(), kWidth, kHeight, PixelLayout::kRgba)));
    EXPECT_EQ(out, reference.Render(k, std::vector<uint8_t>(out.size(), 0))) << k;
  }
  const int32_t w = kWidth + 20, h = kHeight + 9;
  EffectHost& host = reference.Host();
  host.SetFrame(w, h);
  std::vector<uint8_t> want(static_cast<size_t>(w) * h * 4);
  out.resize(want.size());
  for (int32_t k = 5; k <= 8; ++k) {
    const std::vector<uint8_t> rgba = TestSource(w, h, k);
    ASSERT_TRUE(fire.Render(k, PackedView(rgba.data(), w, h, PixelLayout::kRgba),
                            PackedView(out.data(), w, h, PixelLayout::kRgba)));
    host.SetInputRgba(rgba.data(), w, h);
    host.FrameSetup();
    host.Render(k);
    host.OutputRgba(want.data());
    EXPECT_EQ(out, want) << k;
  }
}
