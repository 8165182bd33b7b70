# SPDX-License-Identifier: GPL-2.0-or-later
# Cross toolchain: 32-bit Windows (x86) with the mingw-w64 i686 compilers.
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The top CMakeLists adds -msse2 -mfpmath=sse for this 32-bit target.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(FYREL_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
