// SPDX-License-Identifier: GPL-2.0-or-later
#include <string>

#include "minihost/effect_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

PF_EffectEntry LoadEffectPlugin(const std::string& path, std::string* error) {
#if defined(_WIN32)
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    if (error) *error = path + ": cannot be loaded as a plug-in (error " +
                        std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  auto entry = reinterpret_cast<PF_EffectEntry>(
      reinterpret_cast<void*>(GetProcAddress(module, "main")));
#else
  // A bare file name would be searched for on the library path; a plug-in is a file here.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    if (error) *error = path + ": cannot be loaded as a plug-in (" + dlerror() + ")";
    return nullptr;
  }
  auto entry = reinterpret_cast<PF_EffectEntry>(dlsym(module, "main"));
#endif
  if (!entry && error) *error = path + ": exports no entry point `main`";
  return entry;
}
