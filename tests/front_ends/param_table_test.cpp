// SPDX-License-Identifier: GPL-2.0-or-later
// Every front end's parameters against the effect's parameter table: the plug-in's setup, the
// renderer's flags, help and manual page, the frei0r filter, its Kdenlive and Shotcut
// descriptions and the README. (The OpenFX plug-in's and the page's are compared with the same
// table by their own hosts: tests/ofx, tests/web.) Changing a row of the table changes all of
// them and nothing here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands/help_text.h"
#include "cli/commands/man_page.h"
#include "cli/flags/flag_table.h"
#include "host/effect_main.h"
#include "effect/effect_params.h"
#include "minihost/effect_host.h"
#include "tests/front_ends/file_text.h"
#include "tests/frei0r/frei0r_module.h"
#include "tests/frei0r/kdenlive_description.h"

namespace {

// True when every byte of the definition's type part from `from` on is zero.
bool ZeroFrom(const PF_ParamDef& def, size_t from) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&def.u);
  for (size_t i = from; i < sizeof def.u; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

template <class SliderDef>
void ExpectSlider(const SliderDef& slider, int32_t min, int32_t max, int32_t dephault) {
  EXPECT_EQ(slider.value, dephault);
  EXPECT_EQ(slider.dephault, dephault);
  EXPECT_EQ(slider.valid_min, min);
  EXPECT_EQ(slider.valid_max, max);
  EXPECT_EQ(slider.slider_min, min);
  EXPECT_EQ(slider.slider_max, max);
  EXPECT_STREQ(slider.value_str, "");
  EXPECT_STREQ(slider.value_desc, "");
}

// The value frei0r and Shotcut hand the filter for the effect's value `value` of `row`.
double UnitValue(const EffectParam& row, int32_t value) {
  switch (row.kind) {
    case ParamKind::kAngle: return value / 65536.0 / 360.0;
    case ParamKind::kCheckBox: return value;
    default: return (value - row.min) / static_cast<double>(row.max - row.min);
  }
}

// A few of the table's facts as the effect has always had them, written out: a change to the
// table that every front end follows would pass the comparisons below, not this.
TEST(ParamTable, KeepsTheEffectsOwnFacts) {
  struct Fact {
    const char* name;
    const char* flag;
    int32_t min, max, dephault;
  };
  const Fact facts[] = {
      {"Velocity", "velocity", 1, 100, 45},
      {"Height", "height", 0, 255, 13},
      {"Alpha", "alpha", 0, 255, 213},
      {"Color 2", "color2", 0, 0, static_cast<int32_t>(0xFFFFFF00)},
      {"Color 3 Position", "color3-position", 0, 255, 171},
      {"Invert Source", "invert-source", 0, 1, 1},
      {"Fire Direction", "fire-direction", -32767, 32767, 0},
  };
  for (const Fact& fact : facts) {
    const EffectParam* row = FindEffectParam(fact.name);
    ASSERT_NE(row, nullptr) << fact.name;
    EXPECT_STREQ(row->flagName, fact.flag);
    EXPECT_EQ(row->min, fact.min) << fact.name;
    EXPECT_EQ(row->max, fact.max) << fact.name;
    EXPECT_EQ(row->dephault, fact.dephault) << fact.name;
  }
  EXPECT_EQ(kEffectParamCount, 18);
  EXPECT_EQ(kShownParamCount, 17);
  EXPECT_EQ(kEffectParams[17].position, kParamPhase);
}

TEST(ParamTable, PluginSetupDeclaresEveryRowAtItsPosition) {
  EffectHost host(EffectMain);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamCount(), kParamCount);
  EXPECT_EQ(host.OutData().num_params, kParamCount);
  for (const EffectParam& row : EffectParams()) {
    SCOPED_TRACE(row.name);
    const PF_ParamDef& def = host.Param(row.position);
    EXPECT_STREQ(def.name, row.name);
    EXPECT_EQ(def.uu.id | def.unused | def.flags | def.ui_flags | def.ui_width | def.ui_height, 0);
    switch (row.kind) {
      case ParamKind::kSlider:
        ASSERT_EQ(def.param_type, PF_Param_SLIDER);
        ExpectSlider(def.u.sd, row.min, row.max, row.dephault);
        EXPECT_TRUE(ZeroFrom(def, sizeof(PF_SliderDef)));
        break;
      case ParamKind::kFraction:
        ASSERT_EQ(def.param_type, PF_Param_FIX_SLIDER);
        ExpectSlider(def.u.fd, row.min * 65536, row.max * 65536, row.dephault);
        EXPECT_EQ(def.u.fd.precision, 1);
        EXPECT_EQ(def.u.fd.display_flags, 0);
        EXPECT_TRUE(ZeroFrom(def, sizeof(PF_FixedSliderDef)));
        break;
      case ParamKind::kColor: {
        ASSERT_EQ(def.param_type, PF_Param_COLOR);
        for (const PF_Pixel& p : {def.u.cd.value, def.u.cd.dephault}) {
          EXPECT_EQ(static_cast<uint32_t>(p.alpha << 24 | p.red << 16 | p.green << 8 | p.blue),
                    static_cast<uint32_t>(row.dephault));
        }
        EXPECT_TRUE(ZeroFrom(def, sizeof(PF_ColorDef)));
        break;
      }
      case ParamKind::kCheckBox:
        ASSERT_EQ(def.param_type, PF_Param_CHECKBOX);
        EXPECT_EQ(def.u.bd.value, row.dephault);
        EXPECT_EQ(def.u.bd.dephault, row.dephault);
        ASSERT_NE(def.u.bd.u.nameptr, nullptr);
        EXPECT_STREQ(def.u.bd.u.nameptr, "Add Fire Params");
        EXPECT_TRUE(ZeroFrom(def, sizeof(PF_CheckBoxDef)));
        break;
      case ParamKind::kAngle:
        ASSERT_EQ(def.param_type, PF_Param_ANGLE);
        EXPECT_EQ(def.u.ad.value, row.dephault);
        EXPECT_EQ(def.u.ad.dephault, row.dephault);
        EXPECT_TRUE(ZeroFrom(def, sizeof(PF_AngleDef)));
        break;
    }
  }
}

// Each row is a flag of render (and of preview when the viewer previews its group), with the
// row's range, default and help, and help and the manual page show them.
TEST(ParamTable, RendererFlagsHelpAndManualPage) {
  const std::string manual = ManPage();
  for (const EffectParam& row : EffectParams()) {
    SCOPED_TRACE(row.name);
    const std::string name = std::string("--") + row.flagName;
    const FlagSpec* flag = FindFlag(Command::kRender, name);
    ASSERT_NE(flag, nullptr);
    EXPECT_STREQ(flag->paramName, row.name);
    EXPECT_STREQ(flag->help, row.help);
    EXPECT_EQ(FindFlag(Command::kPreview, name) != nullptr, GroupInfo(row.group).previewed);
    char dephault[16];
    switch (row.kind) {
      case ParamKind::kColor:
        std::snprintf(dephault, sizeof dephault, "%06X", row.dephault & 0xFFFFFF);
        break;
      case ParamKind::kCheckBox: std::strcpy(dephault, row.dephault ? "on" : "off"); break;
      case ParamKind::kAngle:
      case ParamKind::kFraction:
        std::snprintf(dephault, sizeof dephault, "%g", row.dephault / 65536.0);
        break;
      case ParamKind::kSlider: std::snprintf(dephault, sizeof dephault, "%d", row.dephault);
    }
    EXPECT_STREQ(flag->defaultText, dephault);
    if (row.kind != ParamKind::kColor && row.kind != ParamKind::kCheckBox) {
      EXPECT_EQ(flag->minimum, row.min);
      EXPECT_EQ(flag->maximum, row.max);
    }
    const std::string details = FlagDetails(Command::kRender, *flag);
    EXPECT_NE(details.find(std::string("default ") + dephault), std::string::npos) << details;
    // The help refills its descriptions: a line break and the indent after it are a space.
    std::string help;
    for (char c : CommandHelp(Command::kRender)) {
      if (c == '\n') c = ' ';
      if (c != ' ' || help.empty() || help.back() != ' ') help += c;
    }
    EXPECT_NE(help.find(name), std::string::npos);
    EXPECT_NE(help.find(row.help), std::string::npos);
    std::string roff;  // the help as the page's roff spells it
    for (const char* c = row.help; *c; ++c) roff += *c == '-' ? std::string("\\-") : std::string(1, *c);
    EXPECT_NE(manual.find(roff), std::string::npos);
  }
}

// The filter's parameters are the rows other front ends show, in the table's order, with
// the table's help and defaults; Kdenlive's and Shotcut's descriptions follow them.
TEST(ParamTable, Frei0rFilterAndItsKdenliveAndShotcutDescriptions) {
  const Frei0rModule& m = LoadFrei0rModule();
  ASSERT_EQ(m.error, "");
  f0r_plugin_info_t plugin{};
  m.get_plugin_info(&plugin);
  f0r_instance_t instance = m.construct(8, 8);
  ASSERT_NE(instance, nullptr);
  const KdenliveEffect kdenlive = ReadKdenliveEffect(FYREL_KDENLIVE_EFFECT);
  ASSERT_EQ(kdenlive.error, "");
  const std::string shotcut = FileText(FYREL_SHOTCUT_UI);
  int index = 0;
  for (const EffectParam& row : EffectParams()) {
    if (row.hostOnly) continue;
    SCOPED_TRACE(row.name);
    ASSERT_LT(index, plugin.num_params);
    f0r_param_info_t info{};
    m.get_param_info(&info, index);
    EXPECT_STREQ(info.name, row.name);
    EXPECT_STREQ(info.explanation, row.help);
    const int type = row.kind == ParamKind::kCheckBox ? F0R_PARAM_BOOL
                     : row.kind == ParamKind::kColor  ? F0R_PARAM_COLOR
                                                      : F0R_PARAM_DOUBLE;
    EXPECT_EQ(info.type, type);
    ASSERT_LT(index, static_cast<int>(kdenlive.params.size()));
    const KdenliveParam& shown = kdenlive.params[index];
    EXPECT_EQ(shown.name, row.name);
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%06x", row.dephault & 0xFFFFFF);
    if (row.kind == ParamKind::kColor) {
      f0r_param_color_t colour{};
      m.get_param_value(instance, &colour, index);
      EXPECT_FLOAT_EQ(colour.r, RedOf(row.dephault) / 255.0f);
      EXPECT_FLOAT_EQ(colour.g, GreenOf(row.dephault) / 255.0f);
      EXPECT_FLOAT_EQ(colour.b, BlueOf(row.dephault) / 255.0f);
      EXPECT_EQ(shown.dephault, std::string("0x") + rgb + "ff");
      EXPECT_NE(shotcut.find("['" + std::string(row.name) + "', '#" + rgb + "']"),
                std::string::npos);
      ++index;
      continue;
    }
    double value = -1;
    m.get_param_value(instance, &value, index);
    EXPECT_DOUBLE_EQ(value, UnitValue(row, row.dephault));
    if (row.kind == ParamKind::kCheckBox) {
      EXPECT_EQ(shown.type, "bool");
      EXPECT_EQ(shown.dephault, std::to_string(row.dephault));
      EXPECT_NE(shotcut.find("['" + std::string(row.name) + "', " +
                             (row.dephault ? "true" : "false") + "]"),
                std::string::npos);
    } else {
      // Kdenlive shows default * factor cut down, or a list entry per integer.
      const bool angle = row.kind == ParamKind::kAngle;
      const int32_t min = angle ? 0 : row.min, max = angle ? 360 : row.max;
      const int32_t dephault = angle ? row.dephault / 65536 : row.dephault;
      if (shown.type == "list") {
        ASSERT_EQ(shown.paramlistdisplay.size(), static_cast<size_t>(max - min + 1));
        EXPECT_EQ(shown.paramlistdisplay.front(), std::to_string(min));
        EXPECT_EQ(shown.paramlistdisplay.back(), std::to_string(max));
        EXPECT_NE(KdenliveValue(shown, dephault), "");
        EXPECT_EQ(KdenliveValue(shown, dephault), shown.dephault);
      } else {
        EXPECT_EQ(shown.min, min);
        EXPECT_EQ(shown.max, max);
        EXPECT_EQ(std::floor(std::strtod(shown.dephault.c_str(), nullptr) * shown.factor),
                  dephault);
      }
      EXPECT_NE(shotcut.find("['" + std::string(row.name) + "', " + std::to_string(min) + ", " +
                             std::to_string(max) + ", " + std::to_string(dephault) + ", '"),
                std::string::npos);
    }
    ++index;
  }
  EXPECT_EQ(plugin.num_params, index);
  EXPECT_EQ(static_cast<int>(kdenlive.params.size()), index);
  m.destruct(instance);
}

// The README's table of the parameters: by group, the table's order within each.
std::string ReadmeParamTable() {
  std::string text =
      "| group | parameter | flag | script name | kind | range | default | what it does |\n"
      "|---|---|---|---|---|---|---|---|\n";
  for (int group = 0; group < kParamGroupCount; ++group) {
  for (const EffectParam& row : EffectParams()) {
    if (row.hostOnly || static_cast<int>(row.group) != group) continue;
    std::string kind = "integer", range, dephault;
    char number[32];
    switch (row.kind) {
      case ParamKind::kSlider:
        range = std::to_string(row.min) + "–" + std::to_string(row.max);
        dephault = std::to_string(row.dephault);
        break;
      case ParamKind::kColor:
        kind = "colour";
        std::snprintf(number, sizeof number, "#%06X", row.dephault & 0xFFFFFF);
        dephault = number;
        break;
      case ParamKind::kCheckBox:
        kind = "check box";
        dephault = row.dephault ? "on" : "off";
        break;
      case ParamKind::kAngle:
      case ParamKind::kFraction:
        kind = row.kind == ParamKind::kAngle ? "angle, degrees" : "fraction";
        range = std::to_string(row.min) + "–" + std::to_string(row.max);
        std::snprintf(number, sizeof number, "%g", row.dephault / 65536.0);
        dephault = number;
        break;
    }
    text += std::string("| ") + GroupInfo(row.group).title + " | " + row.name + " | `--" +
            row.flagName + "` | `" + row.scriptName + "` | " + kind + " | " + range + " | " +
            dephault + " | " + row.help + " |\n";
  }
  }
  return text;
}

TEST(ParamTable, ReadmeTableIsTheTables) {
  const std::string readme = FileText(FYREL_README);
  const std::string table = ReadmeParamTable();
  EXPECT_NE(readme.find(table), std::string::npos)
      << "README.md's parameter table is not the effect's; it should read:\n" << table;
}

}  // namespace
