// SPDX-License-Identifier: GPL-2.0-or-later
// The built fyrel.so, loaded as a frei0r host loads it: by path, through its exported f0r_*
// entry points only. Loaded once per process and kept.
#pragma once

#include <dlfcn.h>

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

// FYREL_FREI0R_MODULE is the path of the built module (set by the test's build).
inline const Frei0rModule& LoadFrei0rModule() {
  static const Frei0rModule module = [] {
    Frei0rModule m{};
    m.handle = dlopen(FYREL_FREI0R_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (!m.handle) {
      m.error = dlerror();
      return m;
    }
    auto find = [&m](auto& entry, const char* name) {
      entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(m.handle, name));
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
    if (m.error.empty()) m.init();
    return m;
  }();
  return module;
}
