# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian packages, made by `cpack -G DEB` in the build tree (tools/package does it), all
# under /usr. `fyrel`: the renderer, the frei0r filter with its Kdenlive and Shotcut
# descriptions (their install rules are in frei0r/), the manual page, the README and the
# licence. `fyrel-obs`: the OBS Studio filter with its locale (install rules in obs/, component
# obs), a package of its own as Debian ships OBS's plug-ins, so that the renderer does not
# bring libobs. `fyrel-ofx`: the OpenFX bundle in /usr/OFX/Plugins, where OpenFX hosts on Linux
# look (install rules in ofx/, component ofx), apart so that the renderer's users do not get it. Each package's dependencies are the libraries its binaries link, as
# dpkg-shlibdeps reads them; ffmpeg, which the renderer runs for videos and video sources, is
# recommended.

install(TARGETS fyrel RUNTIME DESTINATION bin)
if(TARGET fyrel_footage)
  install(TARGETS fyrel_footage LIBRARY DESTINATION ${FYREL_FOOTAGE_DIR})
endif()
install(FILES $<TARGET_FILE_DIR:fyrel_man_page>/fyrel.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION share/doc/fyrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fyrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Placeholder until the project names a maintainer: .invalid is a domain that never resolves.
set(CPACK_PACKAGE_CONTACT "Fyrel developers <maintainer@fyrel.invalid>")
# Each description's first line is its package's summary (CPACK_PACKAGE_DESCRIPTION_SUMMARY,
# which CPack would put before every package's description, is left unset).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "fire effect: command-line renderer and frei0r filter\n\
ZEL Fyrel draws a running flame simulation fed by the brightness of a source image.\n\
fyrel renders it from a PNG, an image sequence or a video into PNG frames or a video;\n\
fyrel.so is the same effect as a frei0r filter, found by ffmpeg, GStreamer and MLT\n\
(Kdenlive and Shotcut, whose effect descriptions are included).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# One package per component: the install rules without one (`fyrel`), and the OBS filter's.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME fyrel)
if(TARGET fyrel_obs)
  list(APPEND CPACK_COMPONENTS_ALL obs)
  set(CPACK_DEBIAN_OBS_PACKAGE_NAME fyrel-obs)
  set(CPACK_DEBIAN_OBS_PACKAGE_ENHANCES obs-studio)
  set(CPACK_DEBIAN_OBS_PACKAGE_RECOMMENDS obs-studio)
  set(CPACK_DEBIAN_OBS_DESCRIPTION
      "fire effect: video filter for OBS Studio\n\
ZEL Fyrel draws a running flame simulation fed by the brightness of a source image.\n\
fyrel-obs.so is the effect as a video filter of OBS Studio, named Fyrel: put it on any\n\
source and the source burns, live.")
endif()
if(TARGET fyrel_ofx)
  list(APPEND CPACK_COMPONENTS_ALL ofx)
  set(CPACK_DEBIAN_OFX_PACKAGE_NAME fyrel-ofx)
  set(CPACK_DEBIAN_OFX_PACKAGE_RECOMMENDS "")
  set(CPACK_DEBIAN_OFX_DESCRIPTION
      "fire effect: OpenFX plug-in\n\
ZEL Fyrel draws a running flame simulation fed by the brightness of a source image.\n\
Fyrel.ofx.bundle is the effect as an OpenFX plug-in, in /usr/OFX/Plugins where the\n\
compositing, grading and editing programs that load OpenFX plug-ins find it.")
endif()
include(CPack)
