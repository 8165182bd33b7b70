// SPDX-License-Identifier: GPL-2.0-or-later
// The library's load notification on Windows. The runtime's start-up code calls DllMain for
// every notification; the effect's part of it is LibraryLoadHook.
#include "host/library_load_hook.h"

#include <windows.h>

#include "host/command_handlers.h"

int32_t LibraryLoadHook(void* instance, uint32_t reason, void* /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) moduleInstance = instance;
  return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return LibraryLoadHook(instance, reason, reserved);
}
