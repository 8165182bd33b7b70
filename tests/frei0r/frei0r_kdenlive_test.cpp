// SPDX-License-Identifier: GPL-2.0-or-later
// The Kdenlive effect description against the built filter: every value Kdenlive can send
// reaches the effect as the value shown. (Its parameters, order, defaults and ranges are
// compared with the effect's table in tests/front_ends; that MLT passes these values on is
// checked by the melt tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fire_reference.h"
#include "frei0r_module.h"
#include "kdenlive_description.h"

namespace {

constexpr int32_t kWidth = 16, kHeight = 16;

class KdenliveDescriptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_.error, "") << FYREL_FREI0R_MODULE;
    ASSERT_EQ(effect_.error, "");
    ASSERT_TRUE(reference_.Started());
    instance_ = m_.construct(kWidth, kHeight);
    ASSERT_NE(instance_, nullptr);
  }
  void TearDown() override {
    if (instance_) m_.destruct(instance_);
  }

  // The effect's own definition of a parameter, found by its display name.
  const PF_ParamDef& Def(const std::string& name) {
    const int position = reference_.Host().FindParam(name);
    EXPECT_GE(position, 0) << name;
    return reference_.Host().Param(position < 0 ? 0 : position);
  }

  // The value the effect keeps after the filter is given `text` as MLT parses it (a number,
  // or 0xRRGGBBAA for a colour), in the units the description shows.
  int32_t Kept(int index, const KdenliveParam& param, const std::string& text) {
    const PF_ParamDef& def = Def(param.name);
    if (param.type == "color") {
      const unsigned long rgba = std::strtoul(text.c_str(), nullptr, 16);
      f0r_param_color_t c{((rgba >> 24) & 255) / 255.0f, ((rgba >> 16) & 255) / 255.0f,
                          ((rgba >> 8) & 255) / 255.0f};
      m_.set_param_value(instance_, &c, index);
      m_.get_param_value(instance_, &c, index);
      return static_cast<int32_t>(std::lround(c.r * 255) << 16 | std::lround(c.g * 255) << 8 |
                                  std::lround(c.b * 255));
    }
    double v = std::strtod(text.c_str(), nullptr);
    m_.set_param_value(instance_, &v, index);
    m_.get_param_value(instance_, &v, index);
    if (def.param_type == PF_Param_ANGLE) return static_cast<int32_t>(std::lround(v * 360));
    if (def.param_type == PF_Param_CHECKBOX) return v >= 0.5 ? 1 : 0;
    const int32_t min = def.u.sd.valid_min, max = def.u.sd.valid_max;
    return min + static_cast<int32_t>(std::lround(v * (max - min)));
  }

  const Frei0rModule& m_ = LoadFrei0rModule();
  const KdenliveEffect effect_ = ReadKdenliveEffect(FYREL_KDENLIVE_EFFECT);
  ReferenceFire reference_{kWidth, kHeight};
  f0r_instance_t instance_ = nullptr;
};

// Every value Kdenlive offers, as it sends it, reaches the effect as the value it shows.
TEST_F(KdenliveDescriptionTest, EveryShownValueReachesTheEffectAsShown) {
  for (int i = 0; i < static_cast<int>(effect_.params.size()); ++i) {
    const KdenliveParam& param = effect_.params[i];
    if (param.type == "list") {
      for (size_t k = 0; k < param.paramlist.size(); ++k) {
        EXPECT_EQ(Kept(i, param, param.paramlist[k]), std::stoi(param.paramlistdisplay[k]))
            << param.name << " entry " << k;
      }
    } else if (param.type == "bool") {
      for (int32_t v : {0, 1}) EXPECT_EQ(Kept(i, param, KdenliveValue(param, v)), v) << param.name;
    } else if (param.type == "color") {
      for (int32_t v : {0x000000, 0xFF8001, 0x12FEA0, 0xFFFFFF}) {
        EXPECT_EQ(Kept(i, param, KdenliveValue(param, v)), v) << param.name;
      }
    } else {
      for (int32_t v = static_cast<int32_t>(param.min); v <= param.max; ++v) {
        EXPECT_EQ(Kept(i, param, KdenliveValue(param, v)), v) << param.name;
      }
    }
  }
}

}  // namespace
