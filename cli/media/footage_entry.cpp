// SPDX-License-Identifier: GPL-2.0-or-later
// The footage module's one entry: its code, for a renderer of the same version.
#include <cstring>

#include "cli/media/footage_module.h"
#include "fyrel_version.h"

extern "C" __attribute__((visibility("default"))) const FootageModule* fyrel_footage_module(
    const char* version) {
  return std::strcmp(version, FYREL_VERSION_TEXT) == 0 ? &FootageCode() : nullptr;
}
