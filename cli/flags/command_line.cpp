// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/flags/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/flags/flag_values.h"
#include "cli/platform/cli_error.h"
#include "effect/effect_params.h"
#include "effect/effect_presets.h"

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

[[noreturn]] void BadValue(const FlagSpec& flag, const std::string& text) {
  throw UsageError(std::string(flag.name) + " takes " + FlagRangeText(flag) + ", not " +
                   Quoted(text));
}

int32_t IntegerInRange(const FlagSpec& flag, const std::string& text) {
  int64_t value = 0;
  if (!ParseIntegerText(text, &value) || value < flag.minimum || value > flag.maximum) {
    BadValue(flag, text);
  }
  return static_cast<int32_t>(value);
}

// One value of a parameter flag, as the host keeps it; false when the text is not one.
bool ReadParamValue(const FlagSpec& flag, const std::string& text, ParamKey* key) {
  switch (flag.kind) {
    case FlagKind::kInteger: {
      int64_t value = 0;
      if (!ParseIntegerText(text, &value) || value < flag.minimum || value > flag.maximum) {
        return false;
      }
      key->value = static_cast<int32_t>(value);
      return true;
    }
    case FlagKind::kColor: return ParseColorText(text, &key->red, &key->green, &key->blue);
    case FlagKind::kSwitch: {
      bool on = false;
      if (!ParseSwitchText(text, &on)) return false;
      key->value = on ? 1 : 0;
      return true;
    }
    case FlagKind::kDegrees:
    case FlagKind::kFraction: {
      double number = 0;
      const double low = flag.kind == FlagKind::kDegrees ? flag.minimum : 0.0;
      const double high = flag.kind == FlagKind::kDegrees ? flag.maximum : 1.0;
      if (!ParseDecimalText(text, &number) || number < low || number > high) return false;
      key->value = static_cast<int32_t>(NearestFixed16(number));
      return true;
    }
    default: return false;
  }
}

// A parameter flag's value: one value for every frame, or keys (render only).
void ApplyParamFlag(const FlagSpec& flag, const std::string& text, Invocation* invocation) {
  ParamSetting setting;
  const EffectParam* param = FindEffectParam(flag.paramName);
  if (param) setting.position = param->position;
  setting.paramName = flag.paramName;
  setting.isColor = flag.kind == FlagKind::kColor;
  setting.stepped = flag.kind == FlagKind::kSwitch;
  ParamKey first;
  if (!IsKeyframeText(text)) {
    if (!ReadParamValue(flag, text, &first)) BadValue(flag, text);
  } else {
    const std::string name = flag.name;
    if (invocation->command != Command::kRender) {
      throw UsageError(name + " takes keys (FRAME=VALUE;...) only in fyrel render, not " +
                       Quoted(text));
    }
    std::vector<KeyText> keys;
    std::string problem;
    if (!SplitKeyframes(text, &keys, &problem)) throw UsageError(name + ": " + problem);
    for (const KeyText& key : keys) {
      ParamKey read;
      read.frame = key.frame;
      read.hold = key.hold;
      if (!ReadParamValue(flag, key.value, &read)) {
        throw UsageError(name + " takes " + FlagRangeText(flag) + " at each key, not " +
                         Quoted(key.value) + " at frame " + std::to_string(key.frame));
      }
      setting.keys.push_back(read);
    }
    first = setting.keys.front();
    if (setting.keys.size() == 1) setting.keys.clear();  // one key: one value for every frame
  }
  setting.value = first.value;
  setting.red = first.red;
  setting.green = first.green;
  setting.blue = first.blue;
  // A later flag for the same parameter wins, keys or not.
  auto& params = invocation->params;
  for (auto it = params.begin(); it != params.end();) {
    it = it->position == setting.position ? params.erase(it) : it + 1;
  }
  params.push_back(std::move(setting));
}

// A preset: its values, as if their flags stood here, so that a later flag changes one.
void ApplyPreset(const FlagSpec& flag, const std::string& text, Invocation* invocation) {
  const EffectPreset* preset = FindPreset(text);
  if (!preset) BadValue(flag, text);
  for (const std::string& given : PresetFlags(*preset)) {
    const size_t equals = given.find('=');
    const FlagSpec* paramFlag = FindFlag(invocation->command, given.substr(0, equals));
    if (paramFlag) ApplyParamFlag(*paramFlag, given.substr(equals + 1), invocation);
  }
}

// Parses one flag's value into `invocation`. Throws a usage CliError naming the flag and what
// it accepts.
void ApplyFlagValue(const FlagSpec& flag, const std::string& text, Invocation* invocation) {
  const std::string name = flag.name;
  if (flag.paramName) {
    ApplyParamFlag(flag, text, invocation);
    return;
  }
  switch (flag.kind) {
    case FlagKind::kInteger: {
      int32_t value = IntegerInRange(flag, text);
      if (name == "--frames") {
        invocation->frames = value;
        invocation->framesGiven = true;
      } else if (name == "--threads") {
        invocation->threads = value;
      } else if (name == "--start") {
        invocation->start = value;
      }
      return;
    }
    case FlagKind::kRate: {
      int64_t num = 0, den = 1;
      if (!ParseRateText(text, &num, &den) || num < flag.minimum * den ||
          num > flag.maximum * den || !ReducedRate(num, den, &invocation->fps)) {
        BadValue(flag, text);
      }
      invocation->fpsGiven = true;
      return;
    }
    case FlagKind::kSize: {
      int64_t width = 0, height = 0;
      if (!ParseSizeText(text, &width, &height) || width < flag.minimum ||
          width > flag.maximum || height < flag.minimum || height > flag.maximum) {
        BadValue(flag, text);
      }
      invocation->sizeGiven = true;
      invocation->previewWidth = static_cast<int32_t>(width);
      invocation->previewHeight = static_cast<int32_t>(height);
      return;
    }
    case FlagKind::kPath:
      if (text.empty()) throw UsageError(name + " needs a non-empty " + flag.meta);
      if (name == "--source") invocation->sourcePath = text;
      if (name == "--out") invocation->outDir = text;
      if (name == "--video") invocation->videoPath = text;
      if (name == "--plugin") invocation->pluginPath = text;
      return;
    case FlagKind::kChoice:
      if (text != "none" && text != "over") BadValue(flag, text);
      invocation->compositeOver = text == "over";
      return;
    case FlagKind::kPreset: ApplyPreset(flag, text, invocation); return;
    case FlagKind::kPresence:
      if (name == "--quiet") invocation->quiet = true;
      if (name == "--help") invocation->showHelp = true;
      return;
    default: BadValue(flag, text);
  }
}

// The flag of `command` that a CLI11 message is about: the message starts with its name, with
// or without its dashes.
const FlagSpec* FlagNamedIn(Command command, const std::string& message) {
  const FlagSpec* found = nullptr;
  for (const FlagSpec* flag : FlagsOf(command)) {
    std::string name = flag->name;
    if (message.compare(0, 2, "--") != 0) name = name.substr(2);
    if (message.compare(0, name.size(), name) == 0 &&
        (message.size() == name.size() || message[name.size()] == ':' ||
         message[name.size()] == ' ')) {
      found = flag;
    }
  }
  return found;
}

// CLI11 parses; its errors become the messages that name the flag and what it takes.
[[noreturn]] void ThrowUsage(const CLI::ParseError& error, Command command,
                             const std::vector<std::string>& unparsed) {
  const std::string commandName = CommandName(command);
  const FlagSpec* flag = FlagNamedIn(command, error.what());
  if (flag && dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
    if (flag->kind == FlagKind::kPresence) throw UsageError(std::string(flag->name) + " takes no value");
    throw UsageError(std::string(flag->name) + " needs a value: " + FlagRangeText(*flag));
  }
  std::string arg = unparsed.empty() ? std::string(error.what()) : unparsed.front();
  if (arg.compare(0, 2, "--") == 0) arg = arg.substr(0, arg.find('='));
  throw UsageError("unknown flag " + Quoted(arg) + " for fyrel " + commandName + " (see fyrel " +
                   commandName + " --help)");
}

// The command's flags from the table. Values go through ApplyFlagValue as they are parsed, in
// command-line order, so that a later one wins.
void AddFlags(CLI::App* app, Command command, Invocation* invocation) {
  for (const FlagSpec* flag : FlagsOf(command)) {
    const std::string name = flag->name;
    if (flag->kind == FlagKind::kPresence) {
      app->add_flag_callback(name == "--help" ? "-h,--help" : name,
                             [flag, invocation] { ApplyFlagValue(*flag, "", invocation); })
          ->disable_flag_override();
      continue;
    }
    app->add_option_function<std::string>(
           name, [flag, invocation](const std::string& value) {
             ApplyFlagValue(*flag, value, invocation);
           })
        ->trigger_on_parse()
        ->allow_extra_args(false);
  }
}

}  // namespace

ParamSetting SettingAtFrame(const ParamSetting& setting, int32_t frame) {
  if (setting.keys.empty()) return setting;
  const ParamKey key = KeyValueAt(setting.keys, frame, setting.stepped);
  ParamSetting value = setting;
  value.value = key.value;
  value.red = key.red;
  value.green = key.green;
  value.blue = key.blue;
  return value;
}

Invocation ParseCommandLine(const std::vector<std::string>& args) {
  Invocation invocation;

  // Before the command: --help, --version and --plugin, which every command takes; the first
  // word that is no flag is the command, and the rest is its own.
  CLI::App top("fyrel");
  top.set_help_flag();
  top.prefix_command();
  top.add_flag("-h,--help", invocation.showHelp);
  top.add_flag("--version", invocation.showVersion);
  const FlagSpec* plugin = FindFlag(Command::kAbout, "--plugin");
  top.add_option_function<std::string>(
         "--plugin",
         [plugin, &invocation](const std::string& value) {
           ApplyFlagValue(*plugin, value, &invocation);
         })
      ->trigger_on_parse()
      ->allow_extra_args(false);
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    top.parse(reversed);
  } catch (const CLI::ArgumentMismatch&) {
    throw UsageError("--plugin needs a value: a plug-in file");
  } catch (const CLI::ParseError& error) {
    throw UsageError(std::string(error.what()) + " (see fyrel --help)");
  }
  std::vector<std::string> rest = top.remaining();
  if (rest.empty()) return invocation;
  if (!rest.front().empty() && rest.front()[0] == '-') {
    throw UsageError("unknown option " + Quoted(rest.front()) + " (see fyrel --help)");
  }
  invocation.command = CommandNamed(rest.front());
  if (invocation.command == Command::kNone) {
    throw UsageError("unknown command " + Quoted(rest.front()) +
                     "; the commands are render, preview, about and presets (see fyrel --help)");
  }

  CLI::App app(std::string("fyrel ") + CommandName(invocation.command));
  app.set_help_flag();
  app.allow_extras();
  AddFlags(&app, invocation.command, &invocation);
  std::vector<std::string> commandArgs(rest.rbegin(), rest.rend() - 1);
  try {
    app.parse(commandArgs);
  } catch (const CLI::ParseError& error) {
    ThrowUsage(error, invocation.command, app.remaining());
  }
  if (!app.remaining().empty()) {
    ThrowUsage(CLI::ExtrasError(app.remaining()), invocation.command, app.remaining());
  }
  return invocation;
}
