// SPDX-License-Identifier: GPL-2.0-or-later
// Frames as the front ends hold them, RGBA bytes (red, green, blue, alpha, straight alpha), and
// the host's pixels (alpha, red, green, blue).
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_interface.h"

// `count` RGBA pixels to host pixels.
void HostPixelsFromRgba(const uint8_t* rgba, size_t count, PF_Pixel* pixels);

// Rows of host pixels, `stride` pixels apart, to width x height RGBA pixels without padding.
void RgbaFromHostPixels(const PF_Pixel* pixels, int32_t width, int32_t height, int32_t stride,
                        uint8_t* rgba);
