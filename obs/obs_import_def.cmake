# SPDX-License-Identifier: GPL-2.0-or-later
# Writes the module definition of obs.dll as far as the filter uses it: every function the
# filter's objects leave undefined that libobs exports (read from Debian's libobs.so, whose
# exports are the Windows library's too), for dlltool to make the import library from.
#   cmake -DNM=<nm reading both formats> -DLIBOBS=<libobs.so> -DOUT=<obs.def>
#         -DOBJECTS=<objects and archives of the filter, separated by commas> -P obs_import_def.cmake
cmake_minimum_required(VERSION 3.20)
string(REPLACE "," ";" OBJECTS "${OBJECTS}")
execute_process(COMMAND ${NM} -D --defined-only --format=just-symbols ${LIBOBS}
                OUTPUT_VARIABLE exported RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR exported STREQUAL "")
  message(FATAL_ERROR "cannot read the exports of ${LIBOBS}")
endif()
execute_process(COMMAND ${NM} --undefined-only --format=just-symbols ${OBJECTS}
                OUTPUT_VARIABLE undefined RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the symbols of ${OBJECTS}")
endif()
string(REPLACE "\n" ";" exported "${exported}")
string(REPLACE "\n" ";" undefined "${undefined}")
list(REMOVE_DUPLICATES undefined)
list(SORT undefined)
set(used "")
foreach(name IN LISTS undefined)
  if(NOT name STREQUAL "" AND name IN_LIST exported)
    string(APPEND used "  ${name}\n")
  endif()
endforeach()
if(used STREQUAL "")
  message(FATAL_ERROR "the filter uses nothing of libobs: ${OBJECTS}")
endif()
# Written beside and renamed, so that a failed run leaves no half file.
file(WRITE ${OUT}.part "LIBRARY obs.dll\nEXPORTS\n${used}")
file(RENAME ${OUT}.part ${OUT})
