#include "cli/command_line.h"

#include "cli/cli_error.h"
#include "cli/flag_values.h"

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

void SetParam(Invocation* invocation, ParamSetting setting) {
  invocation->params.push_back(std::move(setting));
}

}  // namespace

void ApplyFlagValue(const FlagSpec& flag, const std::string& text, Invocation* invocation) {
  const std::string name = flag.name;
  ParamSetting setting;
  if (flag.paramName) setting.paramName = flag.paramName;

  switch (flag.kind) {
    case FlagKind::kInteger: {
      int32_t value = IntegerInRange(flag, text);
      if (flag.paramName) {
        setting.value = value;
        SetParam(invocation, setting);
      } else if (name == "--frames") {
        invocation->frames = value;
        invocation->framesGiven = true;
      } else if (name == "--threads") {
        invocation->threads = value;
      } else if (name == "--start") {
        invocation->start = value;
      } else if (name == "--fps") {
        invocation->fps = value;
      }
      return;
    }
    case FlagKind::kColor:
      if (!ParseColorText(text, &setting.red, &setting.green, &setting.blue)) {
        BadValue(flag, text);
      }
      setting.isColor = true;
      SetParam(invocation, setting);
      return;
    case FlagKind::kSwitch: {
      bool on = false;
      if (!ParseSwitchText(text, &on)) BadValue(flag, text);
      setting.value = on ? 1 : 0;
      SetParam(invocation, setting);
      return;
    }
    case FlagKind::kDegrees: {
      double degrees = 0;
      if (!ParseDecimalText(text, &degrees) || degrees < flag.minimum ||
          degrees > flag.maximum) {
        BadValue(flag, text);
      }
      setting.value = static_cast<int32_t>(NearestFixed16(degrees));
      SetParam(invocation, setting);
      return;
    }
    case FlagKind::kFraction: {
      double fraction = 0;
      if (!ParseDecimalText(text, &fraction) || fraction < 0.0 || fraction > 1.0) {
        BadValue(flag, text);
      }
      setting.value = static_cast<int32_t>(NearestFixed16(fraction));
      SetParam(invocation, setting);
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
    case FlagKind::kPresence:
      if (name == "--quiet") invocation->quiet = true;
      if (name == "--help") invocation->showHelp = true;
      return;
  }
}

Invocation ParseCommandLine(const std::vector<std::string>& args) {
  Invocation invocation;
  size_t i = 0;

  // Before the command: --help, --version and --plugin, which every command takes.
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      invocation.showHelp = true;
    } else if (arg == "--version") {
      invocation.showVersion = true;
    } else if (arg == "--plugin" || arg.rfind("--plugin=", 0) == 0) {
      const FlagSpec* plugin = FindFlag(Command::kAbout, "--plugin");
      std::string value;
      if (arg == "--plugin") {
        if (i + 1 >= args.size()) throw UsageError("--plugin needs a value: a plug-in file");
        value = args[++i];
      } else {
        value = arg.substr(std::string("--plugin=").size());
      }
      ApplyFlagValue(*plugin, value, &invocation);
    } else if (!arg.empty() && arg[0] == '-') {
      throw UsageError("unknown option " + Quoted(arg) + " (see fyrel --help)");
    } else {
      invocation.command = CommandNamed(arg);
      if (invocation.command == Command::kNone) {
        throw UsageError("unknown command " + Quoted(arg) +
                         "; the commands are render, preview and about (see fyrel --help)");
      }
      ++i;
      break;
    }
  }
  if (invocation.command == Command::kNone) return invocation;

  const std::string commandName = CommandName(invocation.command);
  for (; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h") arg = "--help";
    std::string value;
    bool inlineValue = false;
    size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      inlineValue = true;
    }
    const FlagSpec* flag = FindFlag(invocation.command, arg);
    if (!flag) {
      throw UsageError("unknown flag " + Quoted(arg) + " for fyrel " + commandName +
                       " (see fyrel " + commandName + " --help)");
    }
    if (flag->kind == FlagKind::kPresence) {
      if (inlineValue) throw UsageError(arg + " takes no value");
      ApplyFlagValue(*flag, "", &invocation);
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) {
        throw UsageError(arg + " needs a value: " + FlagRangeText(*flag));
      }
      value = args[++i];
    }
    ApplyFlagValue(*flag, value, &invocation);
  }
  return invocation;
}
