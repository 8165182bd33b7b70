// SPDX-License-Identifier: GPL-2.0-or-later
// Names of the written frames: frame_NNNN.png, the number zero-padded to at least 4 digits.
#pragma once

#include <cstdint>
#include <string>

std::string FrameFileName(int32_t frame);
