// SPDX-License-Identifier: GPL-2.0-or-later
// The fast render passes against the plain ones: the source mask and the colouring on their
// own, and whole renders through the effect's entry in the host of our own, frame by frame.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "flame/fast/fast_flame.h"
#include "flame/flame_palette.h"
#include "flame/plain/plain_flame.h"
#include "flame/render_flame.h"
#include "host/effect_commands.h"
#include "minihost/effect_host.h"
#include "tests/fast/engine_pair.h"
#include "tests/support/engine_passes.h"

namespace {

using fasttest::Buffers;
using fasttest::Bytes;
using fasttest::CompareEngines;
using fasttest::RandomBytes;

std::vector<FlamePixel> RandomPixels(std::mt19937& rng, size_t n) {
  std::vector<FlamePixel> pixels(n);
  for (auto& p : pixels) {
    const uint32_t r = rng();
    p = {uint8_t((r & 3) == 0 ? 0 : r >> 24), uint8_t(r >> 16), uint8_t(r >> 8), uint8_t(r >> 2)};
  }
  return pixels;
}

TEST(FastBuildSourceMask, MatchesThePlainMaskForAnySourceSize) {
  std::mt19937 rng(21);
  for (int rows : {1, 4, 5, 6, 19, 67}) {
    for (int stride = 1; stride <= 67; stride += 2) {
      // The source narrower or shorter than the mask, or as large.
      for (int shrink : {0, 1, 17}) {
        const int width = stride - shrink > 0 ? stride - shrink : 1;
        const int height = rows - shrink / 2 > 0 ? rows - shrink / 2 : 1;
        const int sourceStride = stride + shrink;
        const auto pixels = RandomPixels(rng, size_t(sourceStride) * height);
        const FlameSourceImage source = {pixels.data(), width, height, sourceStride};
        // The same picture in each byte order, rows stored top down and bottom up: read where
        // it lies (bottom up, each row last pixel first), the mask is the plain one.
        std::vector<std::vector<FlamePixel>> copies;
        copies.reserve(4);
        std::vector<FlameSourceImage> reads;
        for (FlameByteOrder order : {FlameByteOrder::kHost, FlameByteOrder::kRgba}) {
          for (bool rowsFall : {false, true}) {
            std::vector<FlamePixel>& copy = copies.emplace_back(pixels.size());
            for (int y = 0; y < height; ++y) {
              for (int x = 0; x < sourceStride; ++x) {
                const FlamePixel& p = pixels[size_t(y) * sourceStride + x];
                copy[size_t(rowsFall ? height - 1 - y : y) * sourceStride + x] =
                    order == FlameByteOrder::kRgba ? FlamePixel{p.red, p.green, p.blue, p.alpha}
                                                   : p;
              }
            }
            const size_t top = rowsFall ? size_t(height - 1) * sourceStride : 0;
            FlameSourceImage read = {copy.data() + top, width, height,
                                     rowsFall ? -sourceStride : sourceStride};
            read.order = order;
            read.rowsFall = rowsFall;
            reads.push_back(read);
          }
        }
        const Bytes mask = RandomBytes(rng, size_t(stride) * rows);
        for (int invert : {0, 1}) {
          Bytes plain = mask;
          PlainBuildSourceMask(stride, rows, source, plain.data(), invert);
          for (const FlameSourceImage& read : reads) {
            Bytes plainRead = mask;
            PlainBuildSourceMask(stride, rows, read, plainRead.data(), invert);
            ASSERT_EQ(plain, plainRead) << stride << " x " << rows;
            const auto problem = CompareEngines({mask}, [&](FlameState& state, Buffers& b) {
              BuildSourceMask(state, stride, rows, read, b[0].data(), invert);
            });
            ASSERT_EQ(problem, "") << stride << " x " << rows << " source " << width << " x "
                                   << height << " invert " << invert << " RGBA "
                                   << (read.order == FlameByteOrder::kRgba) << " bottom up "
                                   << read.rowsFall;
          }
        }
      }
    }
  }
}

TEST(FastBuildMaskAndDrops, OneSweepGivesTheMaskThenTheDropPass) {
  // The render's start: the plain mask, then the plain drop pass when "Drop" is on.
  std::mt19937 rng(23);
  for (int rows : {1, 2, 3, 4, 5, 6, 31, 67}) {
    for (int columns = 1; columns <= 67; columns += 3) {
      const int height = rows - (columns % 3);
      const auto pixels = RandomPixels(rng, size_t(columns) * rows);
      const FlameSourceImage source = {pixels.data(), columns - (columns % 5 == 0),
                                       height > 0 ? height : 1, columns};
      for (int32_t drop : {0, 1}) {
        const int32_t invert = (columns + rows) % 2;
        const Bytes mask = RandomBytes(rng, size_t(columns) * rows, 30);
        const Bytes drops = RandomBytes(rng, size_t(columns) * rows, 30);
        const uint32_t start = rng();
        FlameState plain;
        plain.random.state = start;
        Bytes plainMask = mask, plainDrops = drops;
        PlainBuildSourceMask(columns, rows, source, plainMask.data(), invert);
        if (drop) PlainScatterDrops(plain, columns, rows, plainMask.data(), plainDrops.data());
        for (const fasttest::FastMode& mode : fasttest::FastModes()) {
          FlameState fast;
          mode.Apply(fast);
          fast.random.state = start;
          Bytes fastMask = mask, fastDrops = drops;
          FastBuildMaskAndDrops(fast, columns, rows, source, fastMask.data(), invert, drop,
                                fastDrops.data());
          ASSERT_EQ(fasttest::FirstDifference(plainMask, fastMask), -1)
              << columns << " x " << rows << " drop " << drop << " [" << mode.name << "]";
          ASSERT_EQ(fasttest::FirstDifference(plainDrops, fastDrops), -1)
              << columns << " x " << rows << " drop " << drop << " [" << mode.name << "]";
          ASSERT_EQ(fast.random.state, plain.random.state);
        }
      }
    }
  }
}

TEST(FastColourFlameField, EveryHeatThroughAnyTableAndAlpha) {
  std::mt19937 rng(22);
  FlameColorTable table;
  for (int32_t alpha : {0, 1, 106, 213, 255, 256, 100000, -5}) {
    for (auto& entry : table.entries) {
      for (auto& byte : entry) byte = uint8_t(rng() % 4 == 0 ? 0 : rng());
    }
    for (int rows : {1, 2, 5, 67}) {
      for (int width : {1, 3, 16, 17, 66, 67}) {
        const int stride = width + (rows % 3);
        // Mostly hot, mostly cold (long runs of heat 0), and all cold.
        for (int zeroPercent : {10, 90, 100}) {
          const Bytes field = RandomBytes(rng, size_t(stride) * rows, zeroPercent);
          const Bytes output = RandomBytes(rng, size_t(stride) * rows * 4);
          const auto problem = CompareEngines({output}, [&](FlameState& state, Buffers& b) {
            ColourFlameField(state, field.data(), stride, width, rows, table, alpha,
                             reinterpret_cast<FlamePixel*>(b[0].data()));
          });
          ASSERT_EQ(problem, "") << width << " x " << rows << " alpha " << alpha << ", "
                                 << zeroPercent << "% cold";
        }
      }
    }
  }
}

// One scene: frame size, output stride and the parameters set on the host.
struct Scene {
  int width, height, stride;
  std::vector<std::pair<const char*, int32_t>> values;
};

std::vector<PF_Pixel> SceneSource(int width, int height, int stride) {
  std::mt19937 rng(uint32_t(width * 1000 + height));
  std::vector<PF_Pixel> pixels(size_t(stride) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < stride; ++x) {
      const int dx = x - width / 2, dy = y - height / 2;
      const bool inside = dx * dx + dy * dy < width * height / 6;
      const uint8_t level = inside ? uint8_t(40 + rng() % 30) : uint8_t(rng() % 256);
      pixels[size_t(y) * stride + x] = {uint8_t(rng() % 7 == 0 ? 0 : 255), level, uint8_t(level / 2),
                                        uint8_t(rng() % 256)};
    }
  }
  return pixels;
}

// The frames rendered in turn: restarts at frame 1, ordinary frames, a repeat.
const int32_t kFrames[] = {0, 1, 2, 3, 4, 5, 6, 7, 1, 1, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

// Appends the values of a fire's state that a render changes, each as its bytes.
void AppendStateValues(const FlameState& state, Bytes* bytes) {
  const fasttest::StateValues v = fasttest::StateValues::Of(state);
  auto put = [bytes](const void* p, size_t n) {
    bytes->insert(bytes->end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  put(&v.random, sizeof v.random);
  put(&v.phase, sizeof v.phase);
  bytes->push_back(v.reset ? 1 : 0);
  put(&v.credit, sizeof v.credit);
  put(&v.increment, sizeof v.increment);
}

// Outputs, buffers and state after each frame of a scene, rendered by a fresh instance of the
// effect on the plain engine (mode null) or the fast one.
std::vector<Bytes> RenderScene(const Scene& scene, const fasttest::FastMode* mode) {
  EffectInstance instance;
  instance.flame.engine = FlameEngine::kPlain;
  if (mode) mode->Apply(instance.flame);
  EffectHost host(instance);
  EXPECT_EQ(host.Start(), PF_Err_NONE);
  host.SetFrame(scene.width, scene.height, scene.stride);
  const auto source = SceneSource(scene.width, scene.height, scene.stride);
  host.SetInput(source.data(), scene.width, scene.height, scene.stride);
  for (const auto& v : scene.values) EXPECT_TRUE(host.SetValue(v.first, v.second)) << v.first;
  std::vector<Bytes> frames;
  for (int32_t frame : kFrames) {
    EXPECT_EQ(host.Render(frame, false), PF_Err_NONE);
    const auto& out = host.Output();
    Bytes bytes(reinterpret_cast<const uint8_t*>(out.data()),
                reinterpret_cast<const uint8_t*>(out.data() + out.size()));
    auto* sequence = static_cast<FlameSequenceData*>(
        host.InData().utils->host_lock_handle(host.SequenceHandle()));
    const size_t cells = size_t(scene.stride) * scene.height;
    for (const uint8_t* buffer : {sequence->mask, sequence->field, sequence->drops}) {
      bytes.insert(bytes.end(), buffer, buffer + cells);
    }
    host.InData().utils->host_unlock_handle(host.SequenceHandle());
    AppendStateValues(instance.flame, &bytes);
    frames.push_back(bytes);
  }
  return frames;
}

TEST(FastRender, WholeRendersThroughTheEntryMatchThePlainEngine) {
  const Scene scenes[] = {
      {64, 48, 64, {}},
      {61, 37, 67, {{"Birth", 0}}},  // stride above the width; 50 warm-up steps
      {67, 67, 70, {{"Velocity", 100}, {"Fire Direction", 90 << 16}, {"Custom Color", 1}}},
      {33, 29, 40, {{"Velocity", 1}, {"Height", 0}, {"Soot", 0}, {"Width", 0},
                    {"Amplitude", 0}, {"Alpha", 0}, {"Drop", 0}, {"Invert Source", 0},
                    {"Fire Direction", 180 << 16}}},
      {45, 50, 47, {{"Velocity", 100}, {"Height", 255}, {"Soot", 255}, {"Width", 255},
                    {"Amplitude", 255}, {"Alpha", 255}, {"Birth", 0},
                    {"Fire Direction", -45 * 65536}}},
      {17, 9, 19, {{"Birth", 0}, {"Fire Direction", 135 << 16}, {"Color 2 Position", 0}}},
      {5, 5, 5, {{"Birth", 0}, {"Fire Direction", 225 << 16}}},
      {1, 1, 3, {{"Birth", 0}}},
      {40, 3, 41, {{"Birth", 0}, {"Fire Direction", 315 << 16}}},
  };
  for (const Scene& scene : scenes) {
    const auto plain = RenderScene(scene, nullptr);
    for (const fasttest::FastMode& mode : fasttest::FastModes()) {
      const auto fast = RenderScene(scene, &mode);
      ASSERT_EQ(plain.size(), fast.size());
      for (size_t f = 0; f < plain.size(); ++f) {
        const long at = fasttest::FirstDifference(plain[f], fast[f]);
        ASSERT_EQ(at, -1) << scene.width << " x " << scene.height << " stride " << scene.stride
                          << ", render " << f << " [" << mode.name << "]";
      }
    }
  }
}

}  // namespace
