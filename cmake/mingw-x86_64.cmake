# SPDX-License-Identifier: GPL-2.0-or-later
# Cross toolchain: 64-bit Windows (x64) with the mingw-w64 x86_64 compilers.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FYREL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
