// SPDX-License-Identifier: GPL-2.0-or-later
// PNG files in and out. Reading decodes as pictures/png_decoder.h does, checking the file's
// framing and CRCs as it goes. Writing encodes with the build's encoder
// (pictures/png_encoder.h) and goes to a temporary name that is renamed once complete, so no
// truncated PNG is ever left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/rgba_image.h"

// Reads and decodes a PNG file, a pipe or a device, reading no further than the PNG goes.
// Throws a CliError naming the path when the file is missing, unreadable, not a PNG,
// truncated, broken or too large; the size is checked before the pixels are decoded.
RgbaImage ReadPngFile(const std::string& path);
// The same into `image`, whose buffer is used again when it has room.
void ReadPngFile(const std::string& path, RgbaImage* image);

// Writes rows of `channels` (3: RGB, 4: RGBA) 8-bit samples, `width` pixels per row, as a PNG.
// Throws a CliError naming the path when it cannot be written; `path` is then untouched.
void WritePngFile(const std::string& path, const uint8_t* samples, int32_t width,
                  int32_t height, int channels);
