// SPDX-License-Identifier: GPL-2.0-or-later
// The library's load notification: keeps the module instance handle that the viewer opens its
// dialog template from.
#pragma once

#include <cstdint>

// Stores `instance` in moduleInstance when the process attaches the library (reason 1).
// Returns 1 for every reason and does nothing else.
int32_t LibraryLoadHook(void* instance, uint32_t reason, void* reserved);
