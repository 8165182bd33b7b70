// SPDX-License-Identifier: GPL-2.0-or-later
// The Options request: command 9 only arms the viewer, the next frame setup opens it once with
// that command's parameter values, after reporting version and flags again.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host_test_support.h"
#include "viewer/viewer_settings.h"

namespace {

using hosttest::StartedHost;

// What one launch was handed, read while the viewer is "open".
struct Launch {
  void* module;
  void* owner;
  const FlameState* flame;  // the fire whose generator and phase the preview steps with
  uint8_t height, soot, width, amplitude;
  FlameColor color1, color2, color3, color4;
  uint8_t velocity, color2Position, color3Position, customColor;
  uint32_t myVersion, outFlags;  // out_data as the viewer opens
};

std::vector<Launch> launches;
EffectHost* launchingHost = nullptr;

void RecordLaunch(void* module, void* owner, const ViewerSettings* s, FlameState& flame) {
  Launch l{};
  l.module = module;
  l.owner = owner;
  l.flame = &flame;
  l.height = *s->height;
  l.soot = *s->soot;
  l.width = *s->width;
  l.amplitude = *s->amplitude;
  l.color1 = *s->color1;
  l.color2 = *s->color2;
  l.color3 = *s->color3;
  l.color4 = *s->color4;
  l.velocity = *s->velocity;
  l.color2Position = *s->color2Position;
  l.color3Position = *s->color3Position;
  l.customColor = *s->customColor;
  if (launchingHost) {
    l.myVersion = launchingHost->OutData().my_version;
    l.outFlags = launchingHost->OutData().out_flags;
  }
  launches.push_back(l);
}

class ViewerLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = StartedHost(16, 8);
    previous_ = viewerLauncher;
    viewerLauncher = RecordLaunch;
    launches.clear();
    launchingHost = host_.get();
    ProcessEffectInstance().viewerRequested = 0;
  }
  void TearDown() override {
    viewerLauncher = previous_;
    launchingHost = nullptr;
    ProcessEffectInstance().viewerRequested = 0;
  }
  std::unique_ptr<EffectHost> host_;
  ViewerLauncher previous_ = nullptr;
};

TEST_F(ViewerLaunch, OptionsArmsOnceAndTheNextFrameSetupOpensOneViewer) {
  EXPECT_EQ(host_->Options(), PF_Err_NONE);
  EXPECT_EQ(host_->Options(), PF_Err_NONE);
  EXPECT_TRUE(launches.empty()) << "no viewer opens at the Options command itself";
  EXPECT_EQ(host_->FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(launches.size(), 1u);
  EXPECT_EQ(ProcessEffectInstance().viewerRequested, 0);
  EXPECT_EQ(host_->FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(launches.size(), 1u) << "a further frame setup opens none";
}

TEST_F(ViewerLaunch, FrameSetupWithoutOptionsOpensNone) {
  EXPECT_EQ(host_->FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(host_->FrameSetup(), PF_Err_NONE);
  EXPECT_TRUE(launches.empty());
  // Global setup has no parameters and never opens the viewer, armed or not.
  ProcessEffectInstance().viewerRequested = 1;
  EXPECT_EQ(host_->GlobalSetup(), PF_Err_NONE);
  EXPECT_TRUE(launches.empty());
}

TEST_F(ViewerLaunch, ArmedFrameSetupReportsVersionAndFlagsBeforeTheViewerOpens) {
  host_->OutData().my_version = 0;
  host_->OutData().out_flags = 0x10001;  // bits of the host's own
  host_->Options();
  ASSERT_EQ(host_->FrameSetup(), PF_Err_NONE);
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].myVersion, 1115648u);
  EXPECT_EQ(launches[0].outFlags, 0x10001u | 0x468u);

  // An unarmed frame setup leaves both alone.
  host_->OutData().my_version = 0;
  host_->OutData().out_flags = 0x2;
  host_->FrameSetup();
  EXPECT_EQ(host_->OutData().my_version, 0u);
  EXPECT_EQ(host_->OutData().out_flags, 0x2u);
}

TEST_F(ViewerLaunch, HandsTheTwelveValuesAsTheViewerReadsThem) {
  int marker = 0;
  host_->SetMainWindow(&marker);
  // Values beyond a byte show that only the low 8 bits reach the viewer.
  host_->SetValue("Height", 0x123);
  host_->SetValue("Soot", 7);
  host_->SetValue("Width", 0x2FF);
  host_->SetValue("Amplitude", 200);
  host_->SetValue("Velocity", 0x164);
  host_->SetValue("Color 2 Position", 0x10A);
  host_->SetValue("Color 3 Position", 250);
  host_->SetValue("Custom Color", 0x102);
  host_->SetColor("Color 1", 1, 2, 3);
  host_->SetColor("Color 2", 0xFF, 0x80, 0x00);
  host_->SetColor("Color 3", 0x00, 0x00, 0xFE);
  host_->Param(host_->FindParam("Color 1")).u.cd.value.alpha = 0x77;  // dropped
  host_->Param(host_->FindParam("Color 4")).u.cd.value = {0xAA, 0x10, 0x20, 0x30};
  // Values the viewer is not given must not disturb it.
  host_->SetValue("Alpha", 0);
  host_->SetValue("Phase", 0x8000);

  std::vector<PF_ParamDef> before;
  for (int i = 0; i < host_->ParamCount(); ++i) before.push_back(host_->Param(i));

  host_->Options();
  ASSERT_EQ(host_->FrameSetup(), PF_Err_NONE);
  ASSERT_EQ(launches.size(), 1u);
  const Launch& l = launches[0];
  EXPECT_EQ(l.module, moduleInstance);
  EXPECT_EQ(l.flame, &hosttest::Fire()) << "the viewer shares the renders' fire";
  EXPECT_EQ(l.owner, &marker);
  EXPECT_EQ(l.height, 0x23);
  EXPECT_EQ(l.soot, 7);
  EXPECT_EQ(l.width, 0xFF);
  EXPECT_EQ(l.amplitude, 200);
  EXPECT_EQ(l.color1, 0x030201u);
  EXPECT_EQ(l.color2, 0x0080FFu);
  EXPECT_EQ(l.color3, 0xFE0000u);
  EXPECT_EQ(l.color4, 0x302010u);
  EXPECT_EQ(l.velocity, 0x64);
  EXPECT_EQ(l.color2Position, 0x0A);
  EXPECT_EQ(l.color3Position, 250);
  EXPECT_EQ(l.customColor, 2);

  // Closing the viewer leaves every parameter as it was.
  ASSERT_EQ(host_->ParamCount(), static_cast<int>(before.size()));
  for (int i = 0; i < host_->ParamCount(); ++i) {
    EXPECT_EQ(std::memcmp(&before[i], &host_->Param(i), sizeof(PF_ParamDef)), 0) << i;
  }
}

TEST_F(ViewerLaunch, ViewerOpensWithoutOwnerWhenTheMainWindowCannotBeHad) {
  int marker = 0;
  host_->SetMainWindow(&marker);
  PF_UtilCallbacks* const original = host_->InData().utils;
  PF_UtilCallbacks utils = *original;
  utils.get_platform_data = [](PF_ProgPtr, PF_PlatDataID, void*) -> PF_Err { return -1; };
  host_->InData().utils = &utils;
  host_->Options();
  EXPECT_EQ(host_->FrameSetup(), PF_Err_NONE);
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].owner, nullptr);
  host_->InData().utils = original;
}

TEST_F(ViewerLaunch, OneInstanceArmsAndAnotherInstancesFrameSetupOpensWithItsValues) {
  auto other = StartedHost(8, 8);
  other->SetValue("Height", 99);
  host_->Options();
  launchingHost = other.get();
  EXPECT_EQ(other->FrameSetup(), PF_Err_NONE);
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].height, 99);
  EXPECT_EQ(host_->FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(launches.size(), 1u);
}

}  // namespace
