# SPDX-License-Identifier: GPL-2.0-or-later
# What the OpenFX plug-in's frame-t promise costs: frames in order and the worst seek, per
# frame size. Run it by hand (never a test):
#   build/bench/fyrel_ofx_bench
if(TARGET fyrel_ofx_core)
  add_executable(fyrel_ofx_bench ofx_timeline_bench.cpp bench_scene.cpp)
  target_include_directories(fyrel_ofx_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(fyrel_ofx_bench PRIVATE fyrel_ofx_core fyrel_minihost benchmark::benchmark)
endif()
