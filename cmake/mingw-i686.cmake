# Cross toolchain: 32-bit Windows (x86) with the mingw-w64 i686 compilers.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# Everything is linked statically, so the plug-in and the test programs need no MinGW runtime
# DLLs beside them. The top CMakeLists adds -msse2 -mfpmath=sse for this 32-bit target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(FYREL_MINGW_PREFIX i686-w64-mingw32)
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

# CTest runs the Windows programs under wine, quietly.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(FYREL_WINE wine)
  if(FYREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${FYREL_WINE})
  endif()
endif()
