# SPDX-License-Identifier: GPL-2.0-or-later
# Wine's loader for one Windows machine type, and whether this machine can run it.
#
# fyrel_find_wine_loader(<i686|x86_64> <var>) sets <var> to the loader's path, or leaves it
# unset when wine for that machine type is not installed. The 64-bit loader runs on every
# x86-64 kernel; the 32-bit one only where the kernel runs 32-bit programs.
#
# fyrel_probe_wine_loader(<i686|x86_64> <var>) runs the loader once per build tree and caches
# the outcome: <var> is empty when it runs, otherwise the reason it does not, for the tests to
# report as their reason for being skipped.
function(fyrel_find_wine_loader processor var)
  if(processor STREQUAL "x86_64")
    find_program(FYREL_WINE64_LOADER NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(FYREL_WINE64_LOADER NAMES wine64)
    set(loader ${FYREL_WINE64_LOADER})
  else()
    find_program(FYREL_WINE32_LOADER NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    set(loader ${FYREL_WINE32_LOADER})
  endif()
  if(loader)
    set(${var} ${loader} PARENT_SCOPE)
  endif()
endfunction()

function(fyrel_probe_wine_loader processor var)
  set(cache_var FYREL_WINE_${processor}_CANNOT_RUN)
  if(NOT DEFINED ${cache_var})
    fyrel_find_wine_loader(${processor} loader)
    set(reason "")
    if(NOT loader)
      set(reason "wine for ${processor} is not installed")
    elseif(DEFINED ENV{FYREL_NO_WIN32} AND processor STREQUAL "i686")
      # Lets a machine that does run 32-bit programs try the path of one that does not.
      set(reason "32-bit Windows programs are switched off here (FYREL_NO_WIN32)")
    else()
      # Through bash, which reports a binary the kernel refuses as such ("Exec format error")
      # instead of handing it to the shell as a script.
      execute_process(COMMAND bash -c "exec \"$0\" --version" ${loader} RESULT_VARIABLE status
                      OUTPUT_QUIET ERROR_VARIABLE error ERROR_STRIP_TRAILING_WHITESPACE)
      if(NOT status STREQUAL "0")
        string(REGEX MATCH "Exec format error" refused "${error}")
        if(refused)
          set(error "${refused}")
        else()
          string(REGEX REPLACE "\n.*" "" error "${error}")
        endif()
        if(error STREQUAL "")
          set(error "exit ${status}")
        endif()
        set(reason "the kernel cannot run ${loader} (${error}), so no ${processor} Windows programs run here")
      endif()
    endif()
    set(${cache_var} "${reason}" CACHE INTERNAL "why wine cannot run ${processor} programs here")
  endif()
  set(${var} "${${cache_var}}" PARENT_SCOPE)
endfunction()
