// SPDX-License-Identifier: GPL-2.0-or-later
// The render's buffers and its limits: buffers that cannot be had, a render without a sequence
// record, frames without pixels, and a change of the output's stride alone.
#include <gtest/gtest.h>

#include <vector>

#include "flame/page_memory.h"
#include "flame/render_flame.h"
#include "host_test_support.h"

namespace {

using hosttest::OutputPixels;
using hosttest::Record;
using hosttest::StartedHost;
using hosttest::StepsOfRender;

constexpr PF_Pixel kMarker = {7, 7, 7, 7};

bool IsEmpty(const FlameSequenceData& r) {
  return !r.mask && !r.field && !r.drops && r.width == 0 && r.height == 0;
}

bool AllMarked(const std::vector<PF_Pixel>& pixels) {
  for (const PF_Pixel& p : pixels) {
    if (p.alpha != 7 || p.red != 7 || p.green != 7 || p.blue != 7) return false;
  }
  return true;
}

void Mark(EffectHost& host) {
  PF_Pixel* out = OutputPixels(host);
  for (size_t i = 0; i < host.Output().size(); ++i) out[i] = kMarker;
}

// The render state of the process's fire, to see that a render which draws nothing leaves it
// alone.
struct RenderState {
  uint32_t random = hosttest::Fire().random.state;
  float phase = hosttest::Fire().bandPhase;
  float credit = hosttest::Fire().stepCredit;
  float increment = hosttest::Fire().stepIncrement;
  bool pending = hosttest::Fire().resetPending;
  bool operator==(const RenderState& o) const {
    return random == o.random && phase == o.phase && credit == o.credit &&
           increment == o.increment && pending == o.pending;
  }
};

// A frame whose buffers (stride x height bytes each) no address space can hold: rows of a
// million pixels, and in_data's height far beyond the output world's.
void AskForImpossibleBuffers(EffectHost& host) { host.InData().height = 0x7FFFFFFF; }

TEST(RenderBuffers, AllocationFailureReturnsOutOfMemoryWritesNothingAndRetries) {
  const int32_t stride = 1 << 20;
  auto host = StartedHost(16, 4, stride);
  host->SetValue("Birth", 0);
  const std::vector<PF_Pixel> source = hosttest::DiscImage(16, 4);
  host->SetInput(source.data(), 16, 4);

  AskForImpossibleBuffers(*host);
  Mark(*host);
  const RenderState before;
  EXPECT_EQ(host->Render(1, false), PF_Err_OUT_OF_MEMORY);
  EXPECT_TRUE(AllMarked(host->Output()));
  EXPECT_TRUE(IsEmpty(*Record(*host)));
  EXPECT_EQ(hosttest::Fire().random.state, before.random) << "no drop pass, no step";
  EXPECT_EQ(hosttest::Fire().bandPhase, before.phase);

  // The next render with a frame that fits tries again, allocates and resets.
  host->InData().height = 4;
  EXPECT_EQ(StepsOfRender(*host, 2), 55);
  EXPECT_EQ(Record(*host)->width, 16);
  EXPECT_EQ(Record(*host)->height, 4);
  EXPECT_GE(AllocatedPagesSize(Record(*host)->field), static_cast<size_t>(stride) * 4);

  // Failing with live buffers: they are given back, nothing is drawn, and again the next
  // render recovers.
  AskForImpossibleBuffers(*host);
  Mark(*host);
  EXPECT_EQ(host->Render(3, false), PF_Err_OUT_OF_MEMORY);
  EXPECT_TRUE(AllMarked(host->Output()));
  EXPECT_TRUE(IsEmpty(*Record(*host)));
  host->InData().height = 4;
  EXPECT_EQ(StepsOfRender(*host, 4), 55);
  EXPECT_NE(Record(*host)->field, nullptr);
}

TEST(RenderBuffers, RenderWithoutSequenceRecordIsAnErrorAndTouchesNothing) {
  EffectHost host(EffectMain);
  host.GlobalSetup();
  host.ParamsSetup();
  host.SetFrame(16, 8);
  const std::vector<PF_Pixel> source = hosttest::DiscImage(16, 8);
  host.SetInput(source.data(), 16, 8);
  Mark(host);
  const RenderState before;
  EXPECT_EQ(host.Render(1, false), PF_Err_OUT_OF_MEMORY);
  EXPECT_TRUE(AllMarked(host.Output()));
  EXPECT_TRUE(RenderState() == before);
  EXPECT_EQ(host.SequenceHandle(), nullptr);
  EXPECT_EQ(host.LiveHandles(), 0);
}

TEST(RenderBuffers, FramesWithoutPixelsDrawNothingAndAllocateNothing) {
  const struct {
    int32_t width, height, stride;
  } frames[] = {{0, 8, 0}, {16, 0, 0}, {0, 0, 0}, {16, 8, 8} /* wider than its rows */};
  for (const auto& f : frames) {
    SCOPED_TRACE(testing::Message() << f.width << "x" << f.height << " stride " << f.stride);
    auto host = StartedHost(f.width, f.height, f.stride);
    const std::vector<PF_Pixel> source = hosttest::DiscImage(16, 8);
    host->SetInput(source.data(), 16, 8);
    Mark(*host);
    const RenderState before;
    EXPECT_EQ(host->Render(1, false), PF_Err_NONE);
    EXPECT_TRUE(AllMarked(host->Output()));
    EXPECT_TRUE(IsEmpty(*Record(*host)));
    EXPECT_EQ(hosttest::Fire().random.state, before.random) << "the drop pass must not run";
    EXPECT_EQ(hosttest::Fire().bandPhase, before.phase);

    // The same sequence then renders a real frame.
    host->SetFrame(16, 8);
    EXPECT_EQ(host->Render(2), PF_Err_NONE);
    EXPECT_EQ(Record(*host)->width, 16);
  }
}

TEST(RenderBuffers, TinyFramesRender) {
  for (int32_t size : {1, 2, 3, 4, 5}) {
    for (int32_t other : {1, 7}) {
      auto host = StartedHost(size, other);
      const std::vector<PF_Pixel> source = hosttest::SolidImage(size, other, {255, 0, 0, 0});
      host->SetInput(source.data(), size, other);
      for (int32_t frame = 1; frame <= 3; ++frame) EXPECT_EQ(host->Render(frame), PF_Err_NONE);
      host->SetFrame(other, size);
      host->SetInput(source.data(), other, size);
      EXPECT_EQ(host->Render(4), PF_Err_NONE);
    }
  }
}

TEST(RenderBuffers, AStrideChangeAloneReallocatesOnlyWhenTheBuffersWouldBeTooSmall) {
  const std::vector<PF_Pixel> source = hosttest::DiscImage(16, 8);
  auto host = StartedHost(16, 8, 16);
  host->SetInput(source.data(), 16, 8);
  host->SetValue("Birth", 0);
  EXPECT_EQ(StepsOfRender(*host, 1), 55);
  ASSERT_GE(AllocatedPagesSize(Record(*host)->field), 16u * 8u);

  // Longer rows than the buffers hold: new, larger buffers and a reset.
  host->SetFrame(16, 8, 40);
  EXPECT_EQ(StepsOfRender(*host, 2), 55);
  const FlameSequenceData grown = *Record(*host);
  for (const uint8_t* buffer : {grown.mask, grown.field, grown.drops}) {
    EXPECT_GE(AllocatedPagesSize(buffer), 40u * 8u);
  }
  EXPECT_EQ(grown.width, 16);
  EXPECT_EQ(grown.height, 8);

  // Shorter rows fit in what there is: the same buffers and no reset.
  host->SetFrame(16, 8, 24);
  EXPECT_EQ(StepsOfRender(*host, 3), 2);
  EXPECT_EQ(Record(*host)->field, grown.field);
  EXPECT_EQ(Record(*host)->mask, grown.mask);
  EXPECT_EQ(Record(*host)->drops, grown.drops);

  // Back to the rows of the allocation: still no reset.
  host->SetFrame(16, 8, 40);
  EXPECT_EQ(StepsOfRender(*host, 4), 2);
  EXPECT_EQ(Record(*host)->field, grown.field);
}

}  // namespace
