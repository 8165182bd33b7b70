// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "effect/fire_snapshots.h"

namespace {

// Three buffers of `size` bytes: cold cells, with hot stretches of `hot` (0 none, 1 all) of
// noise that runs of zero blocks of every length split.
std::vector<std::vector<uint8_t>> Buffers(size_t size, double hot, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::vector<uint8_t>> buffers(3, std::vector<uint8_t>(size, 0));
  for (auto& buffer : buffers) {
    for (size_t at = 0; at < size;) {
      const size_t length = 1 + random() % 700;
      const bool isHot = std::uniform_real_distribution<>(0, 1)(random) < hot;
      for (size_t i = at; i < std::min(size, at + length); ++i) {
        buffer[i] = isHot ? static_cast<uint8_t>(random()) : 0;
      }
      at += length;
    }
  }
  return buffers;
}

TEST(FireSnapshots, StatesComeBackByteForByte) {
  const size_t sizes[] = {1, 63, 64, 65, 256, 257, 4096 + 17, 100000};
  const double hot[] = {0.0, 0.3, 1.0};
  for (size_t size : sizes) {
    for (double share : hot) {
      for (bool deflate : {false, true}) {
        FireSnapshots snapshots(size_t{1} << 30);
        snapshots.Reset(size);
        const auto buffers = Buffers(size, share, static_cast<uint32_t>(size));
        const uint8_t* const in[3] = {buffers[0].data(), buffers[1].data(), buffers[2].data()};
        FlameState flame;
        flame.stepCredit = 1.25f;
        FireSnapshots::Packer packer;
        FireSnapshot packed;
        ASSERT_TRUE(packer.Pack(12, flame, in, size, deflate, &packed));
        snapshots.Keep(std::move(packed));
        const FireSnapshot* saved = snapshots.Before(13);
        ASSERT_NE(saved, nullptr) << size << " " << share;
        std::vector<std::vector<uint8_t>> out(3, std::vector<uint8_t>(size, 0xA5));
        uint8_t* const into[3] = {out[0].data(), out[1].data(), out[2].data()};
        FlameState back;
        ASSERT_TRUE(snapshots.Load(*saved, &back, into)) << size << " " << share << deflate;
        EXPECT_EQ(out, buffers) << size << " " << share << " " << deflate;
        EXPECT_EQ(back.stepCredit, 1.25f);
      }
    }
  }
}

TEST(FireSnapshots, AFullBudgetDoublesTheSpacingAndStaysWithinIt) {
  const size_t size = 64 * 1024;
  FireSnapshots snapshots(0);  // the least the limit may be: ten states as they lie
  snapshots.Reset(size);
  const auto buffers = Buffers(size, 1.0, 7);  // noise: packing cannot shrink it
  const uint8_t* const in[3] = {buffers[0].data(), buffers[1].data(), buffers[2].data()};
  const int32_t first = snapshots.Spacing();
  // The first states are kept as they lie, the others deflated once they take half the limit.
  EXPECT_FALSE(snapshots.DeflatesNext());
  for (int32_t frame = first; frame <= 400 * first; frame += first) {
    if (snapshots.Wants(frame)) snapshots.Save(frame, FlameState{}, in);
    ASSERT_LE(snapshots.Bytes(), snapshots.Limit()) << frame;
  }
  EXPECT_TRUE(snapshots.DeflatesNext());
  EXPECT_GT(snapshots.Spacing(), first);
  EXPECT_GE(snapshots.Count(), 2u);
}

}  // namespace
