// SPDX-License-Identifier: GPL-2.0-or-later
// A frei0r module (the built fyrel.so, or fyrel.dll in the Windows build), loaded as a frei0r
// host loads it: by path, through its exported f0r_* entry points only.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <string>
#include <type_traits>

#include "frei0r/frei0r_api.h"

struct Frei0rModule {
  int (*init)();
  void (*deinit)();
  void (*get_plugin_info)(f0r_plugin_info_t*);
  void (*get_param_info)(f0r_param_info_t*, int);
  f0r_instance_t (*construct)(unsigned, unsigned);
  void (*destruct)(f0r_instance_t);
  void (*set_param_value)(f0r_instance_t, f0r_param_t, int);
  void (*get_param_value)(f0r_instance_t, f0r_param_t, int);
  void (*update)(f0r_instance_t, double, const uint32_t*, uint32_t*);
  void (*update2)(f0r_instance_t, double, const uint32_t*, const uint32_t*, const uint32_t*,
                  uint32_t*);
  void* handle;
  std::string error;  // empty when every entry point was found
};

// The module at `path`, loaded as a frei0r host loads it (dlopen here, LoadLibrary on
// Windows), its entry points found by name; `error` says what failed. Not initialised.
inline Frei0rModule LoadFrei0rModuleAt(const std::string& path) {
  Frei0rModule m{};
#if defined(_WIN32)
  m.handle = LoadLibraryA(path.c_str());
  if (!m.handle) {
    m.error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return m;
  }
  auto symbol = [&m](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m.handle), name));
  };
#else
  m.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m.handle) {
    m.error = dlerror();
    return m;
  }
  auto symbol = [&m](const char* name) { return dlsym(m.handle, name); };
#endif
  auto find = [&](auto& entry, const char* name) {
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(symbol(name));
    if (!entry) m.error += std::string(name) + " missing; ";
  };
  find(m.init, "f0r_init");
  find(m.deinit, "f0r_deinit");
  find(m.get_plugin_info, "f0r_get_plugin_info");
  find(m.get_param_info, "f0r_get_param_info");
  find(m.construct, "f0r_construct");
  find(m.destruct, "f0r_destruct");
  find(m.set_param_value, "f0r_set_param_value");
  find(m.get_param_value, "f0r_get_param_value");
  find(m.update, "f0r_update");
  find(m.update2, "f0r_update2");
  return m;
}

#if defined(FYREL_FREI0R_MODULE)
// FYREL_FREI0R_MODULE is the path of the built module (set by the test's build): loaded and
// initialised once per process, and kept.
inline const Frei0rModule& LoadFrei0rModule() {
  static const Frei0rModule module = [] {
    Frei0rModule m = LoadFrei0rModuleAt(FYREL_FREI0R_MODULE);
    if (m.error.empty()) m.init();
    return m;
  }();
  return module;
}
#endif
