// SPDX-License-Identifier: GPL-2.0-or-later
// The sequence record's lifetime: setup, resetup with and without a record, flatten and
// setdown, and a host that cannot give the handle.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host_test_support.h"

namespace {

using hosttest::Record;
using hosttest::StartedHost;

// Callbacks around the host's own that see what the effect asks for and hands back: the size
// of every new handle (whose memory they fill with a marker, so that clearing shows), and the
// record as it is at the moment of disposal.
struct HandleWatch {
  PF_UtilCallbacks* original = nullptr;
  PF_UtilCallbacks utils{};
  std::vector<PF_HandleSize> sizes;
  std::vector<FlameSequenceData> disposed;
  int unlocks = 0;
  int locks = 0;
  int refuse = 0;  // the next `refuse` requests give null
};
HandleWatch* watch = nullptr;

PF_Handle PF_CALL WatchNewHandle(PF_HandleSize size) {
  if (watch->refuse > 0) {
    --watch->refuse;
    return nullptr;
  }
  watch->sizes.push_back(size);
  PF_Handle handle = watch->original->host_new_handle(size);
  if (handle) std::memset(*handle, 0xA5, size);
  return handle;
}
void* PF_CALL WatchLock(PF_Handle handle) {
  ++watch->locks;
  return watch->original->host_lock_handle(handle);
}
void PF_CALL WatchUnlock(PF_Handle handle) {
  ++watch->unlocks;
  watch->original->host_unlock_handle(handle);
}
void PF_CALL WatchDispose(PF_Handle handle) {
  watch->disposed.push_back(*static_cast<FlameSequenceData*>(*handle));
  watch->original->host_dispose_handle(handle);
}

class SequenceLifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<EffectHost>(EffectMain);
    host_->GlobalSetup();
    host_->ParamsSetup();
    host_->SetFrame(16, 8);
    host_->SetInput(hosttest::DiscImage(16, 8).data(), 16, 8);
    watch_.original = host_->InData().utils;
    watch_.utils = *watch_.original;
    watch_.utils.host_new_handle = WatchNewHandle;
    watch_.utils.host_lock_handle = WatchLock;
    watch_.utils.host_unlock_handle = WatchUnlock;
    watch_.utils.host_dispose_handle = WatchDispose;
    host_->InData().utils = &watch_.utils;
    watch = &watch_;
  }
  void TearDown() override {
    host_->InData().utils = watch_.original;
    host_.reset();
    watch = nullptr;
  }
  std::unique_ptr<EffectHost> host_;
  HandleWatch watch_;
};

bool IsEmpty(const FlameSequenceData& r) {
  return !r.mask && !r.field && !r.drops && r.width == 0 && r.height == 0;
}

TEST_F(SequenceLifetime, SetupAsksForOneRecordAndClearsIt) {
  host_->OutData().flat_sdata_size = -1;
  ASSERT_EQ(host_->SequenceSetup(), PF_Err_NONE);
  ASSERT_EQ(watch_.sizes.size(), 1u);
  EXPECT_EQ(watch_.sizes[0], sizeof(FlameSequenceData));
  if (sizeof(void*) == 4) {
    EXPECT_EQ(watch_.sizes[0], 20u);
  }
  ASSERT_NE(host_->SequenceHandle(), nullptr);
  EXPECT_TRUE(IsEmpty(*Record(*host_)));
  EXPECT_EQ(host_->OutData().flat_sdata_size, static_cast<int32_t>(sizeof(FlameSequenceData)));
  EXPECT_EQ(watch_.locks, watch_.unlocks);
}

TEST_F(SequenceLifetime, RefusedHandleGivesOutOfMemoryAndSetsNothingElse) {
  host_->OutData().flat_sdata_size = -1;
  watch_.refuse = 1;
  EXPECT_EQ(host_->SequenceSetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host_->SequenceHandle(), nullptr);
  EXPECT_EQ(host_->OutData().flat_sdata_size, -1);
  EXPECT_EQ(watch_.locks, 0);

  // A resetup of a sequence without a record asks again, and is refused the same way.
  watch_.refuse = 1;
  EXPECT_EQ(host_->SequenceResetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host_->SequenceHandle(), nullptr);
  EXPECT_EQ(host_->OutData().flat_sdata_size, -1);

  // Without a record a render has nowhere to keep its fire: an error, and no pixel written.
  hosttest::OutputPixels(*host_)[17] = {9, 9, 9, 9};
  EXPECT_EQ(host_->Render(1, false), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host_->Output()[17].alpha, 9);
  EXPECT_EQ(host_->LiveHandles(), 0);
}

TEST_F(SequenceLifetime, ResetupKeepsAPresentRecordAndItsBuffers) {
  ASSERT_EQ(host_->SequenceSetup(), PF_Err_NONE);
  ASSERT_EQ(host_->Render(1), PF_Err_NONE);
  const PF_Handle handle = host_->SequenceHandle();
  const FlameSequenceData before = *Record(*host_);
  ASSERT_NE(before.field, nullptr);
  const std::vector<uint8_t> field = hosttest::FieldOf(*host_);
  host_->OutData().flat_sdata_size = -1;
  watch_.sizes.clear();

  EXPECT_EQ(host_->SequenceResetup(), PF_Err_NONE);
  ASSERT_EQ(host_->SequenceHandle(), handle);
  EXPECT_EQ(std::memcmp(Record(*host_), &before, sizeof before), 0);
  EXPECT_EQ(hosttest::FieldOf(*host_), field);
  EXPECT_TRUE(watch_.sizes.empty());
  EXPECT_EQ(host_->OutData().flat_sdata_size, -1);
}

TEST_F(SequenceLifetime, FlattenReleasesEverythingAndResetupStartsAFreshRecord) {
  ASSERT_EQ(host_->SequenceSetup(), PF_Err_NONE);
  ASSERT_EQ(host_->Render(1), PF_Err_NONE);
  ASSERT_EQ(host_->Render(2), PF_Err_NONE);
  ASSERT_EQ(host_->LiveHandles(), 1);

  EXPECT_EQ(host_->SequenceFlatten(), PF_Err_NONE);
  EXPECT_EQ(host_->OutData().sequence_data, nullptr);
  EXPECT_EQ(host_->SequenceHandle(), nullptr);
  EXPECT_EQ(host_->LiveHandles(), 0);
  ASSERT_EQ(watch_.disposed.size(), 1u);
  EXPECT_TRUE(IsEmpty(watch_.disposed[0])) << "buffers released and size cleared before disposal";
  EXPECT_EQ(watch_.locks, watch_.unlocks);

  host_->OutData().flat_sdata_size = -1;
  watch_.sizes.clear();
  ASSERT_EQ(host_->SequenceResetup(), PF_Err_NONE);
  ASSERT_EQ(watch_.sizes.size(), 1u);
  ASSERT_NE(host_->SequenceHandle(), nullptr);
  EXPECT_TRUE(IsEmpty(*Record(*host_)));
  EXPECT_EQ(host_->OutData().flat_sdata_size, static_cast<int32_t>(sizeof(FlameSequenceData)));

  // The flame starts over from empty buffers: the next render (not frame 1) allocates and
  // resets, as the first render of the sequence did.
  ASSERT_EQ(host_->Render(2), PF_Err_NONE);
  EXPECT_NE(Record(*host_)->field, nullptr);
  EXPECT_EQ(Record(*host_)->width, 16);
  EXPECT_EQ(Record(*host_)->height, 8);
}

TEST_F(SequenceLifetime, SetdownReleasesEverything) {
  ASSERT_EQ(host_->SequenceSetup(), PF_Err_NONE);
  ASSERT_EQ(host_->Render(1), PF_Err_NONE);
  EXPECT_EQ(host_->SequenceSetdown(), PF_Err_NONE);
  EXPECT_EQ(host_->SequenceHandle(), nullptr);
  EXPECT_EQ(host_->LiveHandles(), 0);
  ASSERT_EQ(watch_.disposed.size(), 1u);
  EXPECT_TRUE(IsEmpty(watch_.disposed[0]));
}

TEST_F(SequenceLifetime, FlattenAndSetdownWithoutRecordLeaveOutDataAlone) {
  for (PF_Cmd cmd : {PF_Cmd_SEQUENCE_FLATTEN, PF_Cmd_SEQUENCE_SETDOWN}) {
    PF_InData& in = host_->InData();
    PF_OutData& out = host_->OutData();
    in.sequence_data = nullptr;
    PF_Handle marker = reinterpret_cast<PF_Handle>(&watch_);
    out.sequence_data = marker;
    EXPECT_EQ(EffectMain(cmd, &in, &out, nullptr, nullptr, nullptr), PF_Err_NONE) << cmd;
    EXPECT_EQ(out.sequence_data, marker) << cmd;
    EXPECT_TRUE(watch_.disposed.empty());
    EXPECT_EQ(watch_.locks, 0);
    out.sequence_data = nullptr;
  }
}

}  // namespace
