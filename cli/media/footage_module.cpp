// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/media/footage_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "cli/platform/cli_error.h"
#include "fyrel_version.h"

namespace {

const FootageModule* linked = nullptr;

// The directory this program's file is in ("" when it cannot be told).
std::string ProgramDirectory() {
  std::vector<char> path(PATH_MAX + 1);
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "";
  const std::string program(path.data(), static_cast<size_t>(length));
  return program.substr(0, program.rfind('/'));
}

const FootageModule* Load() {
  const std::string here = ProgramDirectory();
  const std::vector<std::string> places = {
      here + "/" FYREL_FOOTAGE_MODULE,
      here + "/" FYREL_FOOTAGE_INSTALLED "/" FYREL_FOOTAGE_MODULE};
  std::string reasons;
  for (const std::string& place : places) {
    if (::access(place.c_str(), F_OK) != 0) continue;
    void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      const char* why = ::dlerror();
      reasons += std::string(reasons.empty() ? "" : "; ") + (why ? why : place + " does not load");
      continue;
    }
    using Entry = const FootageModule* (*)(const char*);
    const auto entry = reinterpret_cast<Entry>(::dlsym(module, kFootageEntry));
    const FootageModule* code = entry ? entry(FYREL_VERSION_TEXT) : nullptr;
    if (code) return code;  // kept loaded for the rest of the run
    ::dlclose(module);
    reasons += std::string(reasons.empty() ? "" : "; ") + place +
               " is not the footage module of fyrel " FYREL_VERSION_TEXT;
  }
  if (reasons.empty()) {
    reasons = "fyrel's footage module is in neither " + places[0] + " nor " + places[1];
  }
  throw CliError("cannot read or write video: " + reasons + "; reinstall fyrel");
}

}  // namespace

void LinkFootageModule(const FootageModule* module) { linked = module; }

const FootageModule& Footage() {
  static std::mutex loading;
  const std::lock_guard<std::mutex> lock(loading);
  if (!linked) linked = Load();
  return *linked;
}

std::unique_ptr<VideoDecoder> OpenVideoDecoder(const std::string& path) {
  return Footage().OpenVideo(path);
}

std::unique_ptr<YuvFrames> MakeYuvFrames(int32_t width, int32_t height, int channels) {
  return Footage().YuvFramesOf(width, height, channels);
}
