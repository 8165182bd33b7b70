// SPDX-License-Identifier: GPL-2.0-or-later
// The effect as the commands drive it: the Fire linked in, or a plug-in binary loaded at run
// time (--plugin) and started in our own host the way a compositing host starts it, with the
// command line's parameter values set on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/flags/command_line.h"
#include "effect/fire.h"

class EffectSession {
 public:
  virtual ~EffectSession() = default;

  // Sets each value as it is at `frame`, in the given order (a later setting of a parameter
  // wins); only those given as keys when `keyedOnly`. Throws a CliError for a parameter the
  // effect lacks.
  virtual void Apply(const std::vector<ParamSetting>& params, int32_t frame, bool keyedOnly) = 0;
  // Frame `frame` of one sequence, fed by `sourceRgba` (RGBA of the output's size, rows top
  // first; null: nothing) and written into `output` (rows packed; kRgba, or kRgbWeighted for a
  // video without alpha): the effect alone, or laid over its source when `over` (effect/fire_over.h). An
  // empty text when it is done, else what went wrong.
  virtual std::string Render(int32_t frame, const uint8_t* sourceRgba, const PixelView& output,
                             bool over) = 0;
  // The values the effect holds now, by the table's index. Throws a CliError when a plug-in
  // does not declare them all.
  virtual EffectValues Values() const = 0;
};

// The Fire when `pluginPath` is empty, else the plug-in, with `params` applied as they are at
// `frame`. Throws a CliError naming the file when the plug-in cannot be loaded or started, or
// when it lacks a parameter.
std::unique_ptr<EffectSession> StartEffect(const std::string& pluginPath,
                                           const std::vector<ParamSetting>& params,
                                           int32_t frame = 1);

// The effect's entry played by our own host (plugin_session.cpp). The plug-in at `path` after
// global, parameter and sequence setup; throws a CliError naming the file when it cannot be
// loaded, or when a setup command fails.
std::unique_ptr<EffectSession> StartPlugin(const std::string& path);
// The About text the entry returns (the plug-in's at `pluginPath`, or the effect's own when it
// is empty), as a host receives it. Throws a CliError when the command fails.
std::string EffectAboutText(const std::string& pluginPath);
