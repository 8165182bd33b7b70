// SPDX-License-Identifier: GPL-2.0-or-later
// The module OBS loads: fyrel-obs.so, with its locale data in data/locale.
#include <obs-module.h>

#include "obs/fyrel_filter.h"

OBS_DECLARE_MODULE()
OBS_MODULE_USE_DEFAULT_LOCALE("fyrel-obs", "en-US")

MODULE_EXPORT const char* obs_module_name(void) { return "ZEL Fyrel"; }

MODULE_EXPORT const char* obs_module_description(void) {
  return "ZEL Fyrel: a running flame simulation fed by the brightness of a source, as the "
         "video filter \"Fyrel\". Licence: GPL-2.0-or-later.";
}

bool obs_module_load(void) {
  RegisterFyrelFilter();
  return true;
}
