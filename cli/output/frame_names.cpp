// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/output/frame_names.h"

#include <cstdio>

std::string FrameFileName(int32_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%04d.png", static_cast<int>(frame));
  return name;
}
