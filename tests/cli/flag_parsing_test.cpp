// SPDX-License-Identifier: GPL-2.0-or-later
// The command line: every flag of the table parses its form and range, and every mistake is
// refused with a message that names the flag and what it takes.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "cli/commands/help_text.h"
#include "cli/flags/command_line.h"
#include "cli/flags/flag_table.h"
#include "cli/flags/flag_values.h"
#include "effect/effect_params.h"
#include "cli/platform/cli_error.h"
#include "host/effect_main.h"
#include "minihost/effect_host.h"

namespace {

Invocation Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

// The message of the usage error that parsing `args` throws ("" when it does not throw).
std::string UsageMessage(std::vector<std::string> args) {
  try {
    ParseCommandLine(args);
  } catch (const CliError& error) {
    EXPECT_EQ(error.ExitStatus(), kExitUsage);
    return error.what();
  }
  return "";
}

const ParamSetting* Setting(const Invocation& invocation, const std::string& name) {
  const ParamSetting* found = nullptr;
  for (const ParamSetting& setting : invocation.params) {
    if (setting.paramName == name) found = &setting;
  }
  return found;
}

}  // namespace

TEST(FlagValues, IntegersAreWholeDecimalText) {
  int64_t v = 0;
  EXPECT_TRUE(ParseIntegerText("45", &v));
  EXPECT_EQ(v, 45);
  EXPECT_TRUE(ParseIntegerText("-7", &v));
  EXPECT_EQ(v, -7);
  EXPECT_TRUE(ParseIntegerText("0000000000012", &v));
  EXPECT_EQ(v, 12);
  for (const char* bad : {"", "-", "4.5", "12a", " 12", "0x10", "99999999999", "2147483648"}) {
    EXPECT_FALSE(ParseIntegerText(bad, &v)) << bad;
  }
}

TEST(FlagValues, ColoursAreSixHexDigitsWithAnOptionalHash) {
  uint8_t r = 0, g = 0, b = 0;
  EXPECT_TRUE(ParseColorText("#FF8001", &r, &g, &b));
  EXPECT_EQ(r, 0xFF);
  EXPECT_EQ(g, 0x80);
  EXPECT_EQ(b, 0x01);
  EXPECT_TRUE(ParseColorText("a0b0c0", &r, &g, &b));
  EXPECT_EQ(b, 0xC0);
  for (const char* bad : {"", "#", "FFF", "#FFFFFFF", "GG0000", "##FFFFFF", "FF 000"}) {
    EXPECT_FALSE(ParseColorText(bad, &r, &g, &b)) << bad;
  }
}

TEST(FlagValues, SwitchesTakeThreeSpellingsOfEachState) {
  bool on = false;
  for (const char* yes : {"on", "1", "true", "ON", "True"}) {
    ASSERT_TRUE(ParseSwitchText(yes, &on)) << yes;
    EXPECT_TRUE(on);
  }
  for (const char* no : {"off", "0", "false", "Off"}) {
    ASSERT_TRUE(ParseSwitchText(no, &on)) << no;
    EXPECT_FALSE(on);
  }
  for (const char* bad : {"", "yes", "2", "onn"}) EXPECT_FALSE(ParseSwitchText(bad, &on)) << bad;
}

TEST(FlagValues, DecimalsArePlainNumbers) {
  double v = 0;
  EXPECT_TRUE(ParseDecimalText("21.9", &v));
  EXPECT_DOUBLE_EQ(v, 21.9);
  EXPECT_TRUE(ParseDecimalText("-90", &v));
  EXPECT_TRUE(ParseDecimalText(".5", &v));
  EXPECT_TRUE(ParseDecimalText("5.", &v));
  for (const char* bad : {"", ".", "-", "1e3", "inf", "nan", "0x10", "1,5", "1.2.3"}) {
    EXPECT_FALSE(ParseDecimalText(bad, &v)) << bad;
  }
}

TEST(FlagValues, FixedPointIsTheNearestSixteenSixteenValue) {
  EXPECT_EQ(NearestFixed16(45.0), 45 * 65536);
  EXPECT_EQ(NearestFixed16(21.9), 1435238);  // 21.9 * 65536 = 1435238.4
  EXPECT_EQ(NearestFixed16(-90.0), -90 * 65536);
  EXPECT_EQ(NearestFixed16(0.5 / 65536), 1);  // a half rounds away from zero
  EXPECT_EQ(NearestFixed16(1.0), 0x10000);
}

TEST(CommandLine, ParameterFlagsBecomeSettingsByDisplayName) {
  Invocation inv = Parse({"render", "--velocity", "100", "--height=0", "--color4", "#102030",
                          "--custom-color", "true", "--fire-direction", "-90", "--phase", "0.5",
                          "--color2-position", "255", "--invert-source", "off"});
  EXPECT_EQ(inv.command, Command::kRender);
  ASSERT_NE(Setting(inv, "Velocity"), nullptr);
  EXPECT_EQ(Setting(inv, "Velocity")->value, 100);
  EXPECT_EQ(Setting(inv, "Height")->value, 0);
  const ParamSetting* color = Setting(inv, "Color 4");
  ASSERT_NE(color, nullptr);
  EXPECT_TRUE(color->isColor);
  EXPECT_EQ(color->red, 0x10);
  EXPECT_EQ(color->green, 0x20);
  EXPECT_EQ(color->blue, 0x30);
  EXPECT_EQ(Setting(inv, "Custom Color")->value, 1);
  EXPECT_EQ(Setting(inv, "Fire Direction")->value, -90 * 65536);
  EXPECT_EQ(Setting(inv, "Phase")->value, 0x8000);
  EXPECT_EQ(Setting(inv, "Color 2 Position")->value, 255);
  EXPECT_EQ(Setting(inv, "Invert Source")->value, 0);
  // Only what was given is set: the effect keeps its own defaults for the rest.
  EXPECT_EQ(Setting(inv, "Soot"), nullptr);
}

TEST(CommandLine, APresetIsItsValuesAndFlagsAfterItChangeOne) {
  const Invocation gas = Parse({"render", "--preset", "blue-gas"});
  EXPECT_EQ(Setting(gas, "Velocity")->value, 100);
  EXPECT_EQ(Setting(gas, "Custom Color")->value, 1);
  const ParamSetting* hottest = Setting(gas, "Color 1");
  EXPECT_TRUE(hottest->red == 0xE0 && hottest->green == 0xF0 && hottest->blue == 0xFF);
  EXPECT_EQ(Setting(gas, "Soot"), nullptr);  // not the preset's: the default
  EXPECT_EQ(Setting(Parse({"render", "--preset", "windswept"}), "Fire Direction")->value,
            45 * 65536);
  // A flag after the preset changes its value, keys too; one before it is the preset's.
  const Invocation after = Parse({"render", "--preset", "candle", "--velocity", "1=30;9=40"});
  EXPECT_EQ(Setting(after, "Velocity")->keys.size(), 2u);
  EXPECT_EQ(Setting(after, "Height")->value, 60);
  EXPECT_EQ(Setting(Parse({"render", "--velocity", "30", "--preset=candle"}), "Velocity")->value,
            15);
  EXPECT_EQ(UsageMessage({"render", "--preset", "bonfire"}),
            "--preset takes one of candle, torch, campfire, wall-of-fire, embers, blue-gas, "
            "green-chemical, ghost-fire, windswept, not 'bonfire'");
  // The preview takes a preset's values for the parameters it shows, and only those.
  const Invocation preview = Parse({"preview", "--preset", "candle"});
  EXPECT_EQ(Setting(preview, "Velocity")->value, 15);
  EXPECT_LT(preview.params.size(), Parse({"render", "--preset", "candle"}).params.size());
  for (const ParamSetting& setting : preview.params) {
    const auto& shown = FlagsOf(Command::kPreview);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const FlagSpec* flag) {
      return flag->paramName && setting.paramName == flag->paramName;
    })) << setting.paramName;
  }
}

TEST(CommandLine, RunFlagsAndTheirDefaults) {
  Invocation plain = Parse({"render"});
  EXPECT_EQ(plain.frames, 100);
  EXPECT_EQ(plain.start, 1);
  EXPECT_TRUE(plain.sourcePath.empty());
  EXPECT_TRUE(plain.outDir.empty());
  EXPECT_TRUE(plain.params.empty());

  Invocation inv = Parse({"render", "--start", "0", "--frames", "3", "--out", "o", "--source",
                          "s.png", "--video", "v.gif", "--plugin", "p.so", "--quiet"});
  EXPECT_EQ(inv.start, 0);
  EXPECT_EQ(inv.frames, 3);
  EXPECT_EQ(inv.outDir, "o");
  EXPECT_EQ(inv.sourcePath, "s.png");
  EXPECT_EQ(inv.videoPath, "v.gif");
  EXPECT_EQ(inv.pluginPath, "p.so");
  EXPECT_TRUE(inv.quiet);
  EXPECT_TRUE(inv.framesGiven);
  EXPECT_FALSE(plain.framesGiven);  // a video source then renders its whole length
  EXPECT_FALSE(plain.compositeOver);
  EXPECT_EQ(plain.threads, 0);      // one per core
  EXPECT_TRUE(Parse({"render", "--composite", "over"}).compositeOver);
  EXPECT_FALSE(Parse({"render", "--composite", "over", "--composite=none"}).compositeOver);
  EXPECT_EQ(Parse({"render", "--threads", "3"}).threads, 3);

  Invocation preview = Parse({"preview", "--size", "64x40", "--width", "0"});
  EXPECT_TRUE(preview.sizeGiven);
  EXPECT_EQ(preview.previewWidth, 64);
  EXPECT_EQ(preview.previewHeight, 40);
  EXPECT_EQ(Setting(preview, "Width")->value, 0);

  // --plugin goes before or after the command.
  EXPECT_EQ(Parse({"--plugin", "Fyrel.aex", "render"}).pluginPath, "Fyrel.aex");
  EXPECT_EQ(Parse({"--plugin=x.so", "about"}).pluginPath, "x.so");
  EXPECT_EQ(Parse({"about", "--plugin", "y.so"}).pluginPath, "y.so");
  EXPECT_NE(UsageMessage({"--plugin"}).find("--plugin needs a value"), std::string::npos);

  EXPECT_TRUE(Parse({"--version"}).showVersion);
  EXPECT_TRUE(Parse({"--help"}).showHelp);
  EXPECT_TRUE(Parse({"render", "--help"}).showHelp);
}

TEST(CommandLine, EveryIntegerFlagTakesExactlyItsRange) {
  for (Command command : {Command::kRender, Command::kPreview}) {
    for (const FlagSpec* flag : FlagsOf(command)) {
      if (flag->kind != FlagKind::kInteger) continue;
      const std::string name = flag->name;
      EXPECT_EQ(UsageMessage({CommandName(command), name, std::to_string(flag->minimum)}), "")
          << name;
      EXPECT_EQ(UsageMessage({CommandName(command), name, std::to_string(flag->maximum)}), "")
          << name;
      std::string below = UsageMessage({CommandName(command), name,
                                        std::to_string(int64_t{flag->minimum} - 1)});
      EXPECT_NE(below.find(name), std::string::npos) << below;
      EXPECT_NE(below.find(FlagRangeText(*flag)), std::string::npos) << below;
      EXPECT_NE(UsageMessage({CommandName(command), name,
                              std::to_string(int64_t{flag->maximum} + 1)}),
                "")
          << name;
    }
  }
}

TEST(CommandLine, MistakesNameTheFlagAndWhatItTakes) {
  EXPECT_EQ(UsageMessage({"render", "--velocity", "0"}), "--velocity takes 1 to 100, not '0'");
  EXPECT_EQ(UsageMessage({"render", "--soot", "256"}), "--soot takes 0 to 255, not '256'");
  EXPECT_EQ(UsageMessage({"render", "--composite", "under"}),
            "--composite takes none or over, not 'under'");
  EXPECT_NE(UsageMessage({"render", "--color1", "FF00"}).find("--color1 takes RRGGBB"),
            std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--drop", "maybe"}).find("--drop takes on|off"),
            std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--phase", "1.01"}).find("--phase"), std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--phase", "-0.1"}).find("--phase"), std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--fire-direction", "40000"}).find("--fire-direction"),
            std::string::npos);
  EXPECT_NE(UsageMessage({"preview", "--size", "10"}).find("--size takes WxH"),
            std::string::npos);
  EXPECT_NE(UsageMessage({"preview", "--size", "4097x10"}).find("--size"), std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--frames"}).find("--frames needs a value"),
            std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--quiet=1"}).find("--quiet takes no value"),
            std::string::npos);
  EXPECT_NE(UsageMessage({"render", "--out", ""}).find("--out needs"), std::string::npos);
}

TEST(CommandLine, BadKeysNameTheFlagAndTheFault) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"render", "--velocity", "40=50;1=60"}, "--velocity: the key '1=60' comes after a key at frame 40"},
      {{"render", "--height", "1=4;4=256"}, "--height takes 0 to 255 at each key, not '256' at frame 4"},
      {{"render", "--phase", "1=0;2=1.5"}, "--phase takes a decimal number from 0 to 1 at each key"},
      {{"render", "--width", "0=5"}, "--width: the key '0=5' is at frame 0; frames count from 1"},
      {{"render", "--color2", "1=FF0000;x=00FF00"}, "--color2: 'x=00FF00' is not a key"},
      {{"render", "--drop", "1=on;;3=off"}, "--drop: '' is not a key"},
      {{"render", "--alpha", "1~=4;9=5"}, "--alpha: the key '1~=4' has an interpolation other"},
      {{"preview", "--velocity", "1=4;9=5"}, "--velocity takes keys (FRAME=VALUE;...) only in fyrel render"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UsageMessage(c.args).rfind(c.message, 0), 0u) << UsageMessage(c.args);
  }
  // Keys parsed; a later flag for the same parameter replaces them.
  const Invocation keyed = Parse({"render", "--fire-direction", "1|=-0.5;20=90"});
  const ParamSetting* direction = Setting(keyed, "Fire Direction");
  EXPECT_TRUE(direction->keys.size() == 2 && direction->keys[0].hold &&
              direction->keys[0].value == -32768);
  const Invocation replaced = Parse({"render", "--velocity", "1=3;5=9", "--velocity", "7"});
  EXPECT_TRUE(Setting(replaced, "Velocity")->keys.empty());
}

TEST(CommandLine, UnknownFlagsAndCommandsAreRefused) {
  EXPECT_NE(UsageMessage({"render", "--colour1", "FFFFFF"}).find("unknown flag '--colour1'"),
            std::string::npos);
  // The viewer shows none of these: preview does not take them.
  for (const char* renderOnly : {"--alpha", "--birth", "--drop", "--invert-source",
                                 "--fire-direction", "--phase", "--source", "--start"}) {
    EXPECT_NE(UsageMessage({"preview", renderOnly, "1"}).find("unknown flag"), std::string::npos)
        << renderOnly;
  }
  EXPECT_NE(UsageMessage({"about", "--velocity", "3"}).find("unknown flag"), std::string::npos);
  EXPECT_NE(UsageMessage({"burn"}).find("unknown command 'burn'"), std::string::npos);
  EXPECT_NE(UsageMessage({"--frames", "3"}).find("unknown option"), std::string::npos);
  EXPECT_NE(UsageMessage({"render", "extra"}).find("unknown flag 'extra'"), std::string::npos);
}

TEST(HelpText, ListsEveryFlagWithItsRangeAndDefault) {
  for (Command command : {Command::kRender, Command::kPreview, Command::kAbout, Command::kPresets}) {
    std::string help = CommandHelp(command);
    for (const FlagSpec* flag : FlagsOf(command)) {
      EXPECT_NE(help.find(std::string("  ") + flag->name + " "), std::string::npos)
          << flag->name;
      if (flag->kind == FlagKind::kInteger) {
        EXPECT_NE(help.find("(" + FlagRangeText(*flag) + ", default " + flag->defaultText + ")"),
                  std::string::npos)
            << flag->name;
      }
    }
  }
  for (Command command : {Command::kNone, Command::kRender, Command::kPreview}) {
    const std::string help = command == Command::kNone ? GeneralHelp() : CommandHelp(command);
    for (size_t start = 0, end; start < help.size(); start = end + 1) {
      end = std::min(help.find('\n', start), help.size());
      EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
    }
  }
  EXPECT_NE(CommandHelp(Command::kPreview).find("default 132x123"), std::string::npos);
  EXPECT_NE(CommandHelp(Command::kRender).find("default fyrel-out"), std::string::npos);
  EXPECT_EQ(VersionText(), std::string("fyrel ") + FYREL_VERSION_TEXT + "\n");
}
