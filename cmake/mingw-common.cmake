# SPDX-License-Identifier: GPL-2.0-or-later
# What both Windows cross toolchains share; included by mingw-i686.cmake and mingw-x86_64.cmake
# after they set FYREL_MINGW_PREFIX and CMAKE_SYSTEM_PROCESSOR. Everything is linked
# statically, so the plug-in and the test programs need no MinGW runtime DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread model needs no winpthread DLL; prefer it where both models are installed.
find_program(CMAKE_C_COMPILER NAMES ${FYREL_MINGW_PREFIX}-gcc-win32 ${FYREL_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${FYREL_MINGW_PREFIX}-g++-win32 ${FYREL_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${FYREL_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${FYREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(FYREL_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${FYREL_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${FYREL_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${FYREL_STATIC_RUNTIME}")

# CTest runs the Windows programs under wine's loader for this machine type, called directly:
# the `wine` wrapper picks the 32-bit loader whenever it is installed, even where the kernel
# cannot run it. Whether the loader runs here is found out once, by cmake/wine_loader.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/wine_loader.cmake)
fyrel_find_wine_loader(${CMAKE_SYSTEM_PROCESSOR} FYREL_WINE)
if(FYREL_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${FYREL_WINE})
endif()
