# SPDX-License-Identifier: GPL-2.0-or-later
# The Windows build renders what the Linux build renders, pixel for pixel: fyrel.exe driving
# the Fyrel.aex DLL under wine against fyrel driving Fyrel.so, on the same frames and flags.
# The builds encode PNGs with different libraries, so the decoded pixels are compared (with
# PNG_PIXELS, which prints each file's size and pixel digest).
# Skipped (the output says "skipped:") when the cross-built files are not there or wine's
# loader for them cannot run here.
#   cmake -DFYREL_EXE=... -DFYREL_PLUGIN=... -DWIN_DIR=<cross build> -DWINE=<loader>
#         -DWINE_CANNOT_RUN=<reason or empty> -DWINEARCH=<win32/win64> -DWORK=<dir>
#         -DPNG_PIXELS=... -P <this>
set(win_exe ${WIN_DIR}/cli/fyrel.exe)
set(win_aex ${WIN_DIR}/host/Fyrel.aex)
foreach(needed ${win_exe} ${win_aex})
  if(NOT EXISTS ${needed})
    message(STATUS "skipped: no ${needed} (cross-build with tools/build-windows first)")
    return()
  endif()
endforeach()
if(WINE_CANNOT_RUN)
  message(STATUS "skipped: ${WINE_CANNOT_RUN}")
  return()
endif()

file(REMOVE_RECURSE ${WORK}/linux ${WORK}/windows)
file(MAKE_DIRECTORY ${WORK}/linux ${WORK}/windows)

function(run_fyrel side)
  if(side STREQUAL "linux")
    set(command ${FYREL_EXE} --plugin ${FYREL_PLUGIN})
  else()
    set(command ${CMAKE_COMMAND} -E env WINEPREFIX=${WORK}/wineprefix WINEARCH=${WINEARCH} WINEDEBUG=-all
                ${WINE} ${win_exe} --plugin ${win_aex})
  endif()
  execute_process(COMMAND ${command} ${ARGN}
                  WORKING_DIRECTORY ${WORK}/${side}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${side}: fyrel ${ARGN} failed (${status}):\n${output}")
  endif()
endfunction()

# Each case on both sides; the second burns a frame of the first, partly transparent colours.
set(case1 render --start 0 --frames 8 --birth off --custom-color on --color3 2040FF
          --fire-direction 30 --out case1 --quiet)
set(case2 render --source ../linux/case1/frame_0007.png --frames 6 --invert-source off
          --velocity 100 --alpha 90 --out case2 --quiet)
set(case3 preview --size 40x30 --frames 10 --custom-color on --velocity 77 --out case3 --quiet)
# The fire laid over that frame, partly transparent where it burns.
set(case4 render --source ../linux/case1/frame_0007.png --frames 4 --composite over --out case4
          --quiet)
foreach(case case1 case2 case3 case4)
  run_fyrel(linux ${${case}})
  run_fyrel(windows ${${case}})
endforeach()

set(compared 0)
foreach(case case1 case2 case3 case4)
  file(GLOB linux_files RELATIVE ${WORK}/linux/${case} ${WORK}/linux/${case}/*)
  file(GLOB windows_files RELATIVE ${WORK}/windows/${case} ${WORK}/windows/${case}/*)
  list(SORT linux_files)
  list(SORT windows_files)
  if(NOT linux_files STREQUAL windows_files)
    message(FATAL_ERROR "${case}: different files:\n linux: ${linux_files}\n windows: ${windows_files}")
  endif()
  foreach(name ${linux_files})
    foreach(side linux windows)
      execute_process(COMMAND ${PNG_PIXELS} ${WORK}/${side}/${case}/${name}
                      RESULT_VARIABLE status OUTPUT_VARIABLE pixels_${side}
                      ERROR_VARIABLE pixels_${side})
      if(NOT status EQUAL 0)
        message(FATAL_ERROR "${side}: ${case}/${name} does not decode: ${pixels_${side}}")
      endif()
    endforeach()
    if(NOT pixels_linux STREQUAL pixels_windows)
      message(FATAL_ERROR "${case}/${name}: the Windows build wrote different pixels "
                          "(is ${WIN_DIR} built from the same sources?)")
    endif()
    math(EXPR compared "${compared} + 1")
  endforeach()
endforeach()
message(STATUS "${compared} files with the same pixels")
