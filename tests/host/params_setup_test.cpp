// Parameter setup: the eighteen definitions as the host receives them, and a host that refuses
// one of them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_test_support.h"

namespace {

// True when every byte of the definition's type part from `from` on is zero.
bool ZeroFrom(const PF_ParamDef& def, size_t from) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&def.u);
  for (size_t i = from; i < sizeof def.u; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

void ExpectCommonFieldsZero(const PF_ParamDef& def) {
  EXPECT_EQ(def.uu.id, 0) << def.name;
  EXPECT_EQ(def.unused, 0) << def.name;
  EXPECT_EQ(def.flags, 0) << def.name;
  EXPECT_EQ(def.ui_flags, 0) << def.name;
  EXPECT_EQ(def.ui_width, 0) << def.name;
  EXPECT_EQ(def.ui_height, 0) << def.name;
}

void ExpectSlider(const PF_ParamDef& def, const char* name, int32_t min, int32_t max,
                  int32_t dephault) {
  SCOPED_TRACE(name);
  EXPECT_STREQ(def.name, name);
  ASSERT_EQ(def.param_type, PF_Param_SLIDER);
  ExpectCommonFieldsZero(def);
  EXPECT_EQ(def.u.sd.value, dephault);
  EXPECT_EQ(def.u.sd.dephault, dephault);
  EXPECT_EQ(def.u.sd.valid_min, min);
  EXPECT_EQ(def.u.sd.valid_max, max);
  EXPECT_EQ(def.u.sd.slider_min, min);
  EXPECT_EQ(def.u.sd.slider_max, max);
  EXPECT_STREQ(def.u.sd.value_str, "");
  EXPECT_STREQ(def.u.sd.value_desc, "");
  EXPECT_TRUE(ZeroFrom(def, sizeof(PF_SliderDef)));
}

void ExpectColor(const PF_ParamDef& def, const char* name, PF_Pixel dephault) {
  SCOPED_TRACE(name);
  EXPECT_STREQ(def.name, name);
  ASSERT_EQ(def.param_type, PF_Param_COLOR);
  ExpectCommonFieldsZero(def);
  EXPECT_EQ(std::memcmp(&def.u.cd.value, &dephault, 4), 0);
  EXPECT_EQ(std::memcmp(&def.u.cd.dephault, &dephault, 4), 0);
  EXPECT_TRUE(ZeroFrom(def, sizeof(PF_ColorDef)));
}

void ExpectCheckBox(const PF_ParamDef& def, const char* name, int32_t dephault) {
  SCOPED_TRACE(name);
  EXPECT_STREQ(def.name, name);
  ASSERT_EQ(def.param_type, PF_Param_CHECKBOX);
  ExpectCommonFieldsZero(def);
  EXPECT_EQ(def.u.bd.value, dephault);
  EXPECT_EQ(def.u.bd.dephault, dephault);
  ASSERT_NE(def.u.bd.u.nameptr, nullptr);
  EXPECT_STREQ(def.u.bd.u.nameptr, "Add Fire Params");
  EXPECT_TRUE(ZeroFrom(def, sizeof(PF_CheckBoxDef)));
}

TEST(ParamsSetup, DeclaresTheEighteenParametersInOrder) {
  EffectHost host(EffectMain);
  host.OutData().num_params = 0;
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  EXPECT_EQ(host.OutData().num_params, 19);
  ASSERT_EQ(host.ParamCount(), 19);

  ExpectSlider(host.Param(1), "Velocity", 1, 100, 45);
  ExpectSlider(host.Param(2), "Height", 0, 255, 13);
  ExpectSlider(host.Param(3), "Soot", 0, 255, 1);
  ExpectSlider(host.Param(4), "Width", 0, 255, 41);
  ExpectSlider(host.Param(5), "Amplitude", 0, 255, 12);
  ExpectSlider(host.Param(6), "Alpha", 0, 255, 213);
  ExpectColor(host.Param(7), "Color 1", {255, 255, 255, 255});
  ExpectColor(host.Param(8), "Color 2", {255, 255, 255, 0});
  ExpectColor(host.Param(9), "Color 3", {255, 255, 0, 0});
  ExpectColor(host.Param(10), "Color 4", {0, 0, 0, 0});
  ExpectSlider(host.Param(11), "Color 2 Position", 0, 255, 85);
  ExpectSlider(host.Param(12), "Color 3 Position", 0, 255, 171);
  ExpectCheckBox(host.Param(13), "Custom Color", 0);
  ExpectCheckBox(host.Param(14), "Birth", 1);
  ExpectCheckBox(host.Param(15), "Drop", 1);
  ExpectCheckBox(host.Param(16), "Invert Source", 1);

  const PF_ParamDef& angle = host.Param(17);
  EXPECT_STREQ(angle.name, "Fire Direction");
  EXPECT_EQ(angle.param_type, PF_Param_ANGLE);
  ExpectCommonFieldsZero(angle);
  EXPECT_EQ(angle.u.ad.value, 0);
  EXPECT_EQ(angle.u.ad.dephault, 0);
  EXPECT_TRUE(ZeroFrom(angle, sizeof(PF_AngleDef)));

  const PF_ParamDef& phase = host.Param(18);
  EXPECT_STREQ(phase.name, "Phase");
  EXPECT_EQ(phase.param_type, PF_Param_FIX_SLIDER);
  ExpectCommonFieldsZero(phase);
  EXPECT_EQ(phase.u.fd.value, 0);
  EXPECT_EQ(phase.u.fd.dephault, 0);
  EXPECT_EQ(phase.u.fd.valid_min, 0);
  EXPECT_EQ(phase.u.fd.valid_max, 0x10000);
  EXPECT_EQ(phase.u.fd.slider_min, 0);
  EXPECT_EQ(phase.u.fd.slider_max, 0x10000);
  EXPECT_EQ(phase.u.fd.precision, 1);
  EXPECT_EQ(phase.u.fd.display_flags, 0);
  EXPECT_STREQ(phase.u.fd.value_str, "");
  EXPECT_STREQ(phase.u.fd.value_desc, "");
  EXPECT_TRUE(ZeroFrom(phase, sizeof(PF_FixedSliderDef)));
}

// Counts the effect's add_param calls and refuses only the one at `refuseCall` (1-based);
// every other call goes to the host.
struct AddParamWatch {
  PF_Err(PF_CALL* host)(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr) = nullptr;
  int calls = 0;
  int refuseCall = 0;
  PF_Err code = 0;
};
AddParamWatch addWatch;

PF_Err PF_CALL WatchAddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  ++addWatch.calls;
  if (addWatch.calls == addWatch.refuseCall) return addWatch.code;
  return addWatch.host(ref, index, def);
}

TEST(ParamsSetup, StopsAtTheFirstRefusalAndReturnsTheHostsCode) {
  for (PF_Err code : {static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY), -1, 517}) {
    for (int refused : {1, 5, 7, 13, 17, 18}) {
      SCOPED_TRACE(testing::Message() << "code " << code << ", parameter " << refused);
      EffectHost host(EffectMain);
      host.OutData().num_params = 77;
      addWatch = AddParamWatch{host.InData().inter.add_param, 0, refused, code};
      host.InData().inter.add_param = WatchAddParam;
      EXPECT_EQ(host.ParamsSetup(), code);
      EXPECT_EQ(addWatch.calls, refused) << "nothing is declared after the refusal";
      EXPECT_EQ(host.ParamCount(), refused) << "the input layer and the parameters before it";
      EXPECT_EQ(host.OutData().num_params, 77);
    }
  }
  // The host of our own refusing the fifth parameter: four declared, the host's code returned.
  EffectHost host(EffectMain);
  host.OutData().num_params = 77;
  host.RefuseParamAt(5, -3);
  EXPECT_EQ(host.ParamsSetup(), -3);
  EXPECT_EQ(host.ParamCount(), 5);
  EXPECT_STREQ(host.Param(4).name, "Width");
  EXPECT_EQ(host.OutData().num_params, 77);
}

}  // namespace
