// PNG files in and out. Reading checks the file's framing and CRCs as it goes
// (png_structure.h) and decodes with libspng (Linux) or stb's decoder (Windows); any colour
// type and bit depth gives 8-bit RGBA (16-bit samples keep their high byte). Writing encodes
// with the build's encoder (png_encoder.h) and goes to a temporary name that is renamed once
// complete, so no truncated PNG is ever left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/png/rgba_image.h"

// Reads and decodes a PNG file, a pipe or a device, reading no further than the PNG goes.
// Throws a CliError naming the path when the file is missing, unreadable, not a PNG,
// truncated, broken or too large; the size is checked before the pixels are decoded.
RgbaImage ReadPngFile(const std::string& path);
// The same into `image`, whose buffer is used again when it has room.
void ReadPngFile(const std::string& path, RgbaImage* image);
// The same from bytes in memory; `name` is what the errors call them.
RgbaImage DecodePng(const std::vector<uint8_t>& bytes, const std::string& name);

// Writes rows of `channels` (3: RGB, 4: RGBA) 8-bit samples, `width` pixels per row, as a PNG.
// Throws a CliError naming the path when it cannot be written; `path` is then untouched.
void WritePngFile(const std::string& path, const uint8_t* samples, int32_t width,
                  int32_t height, int channels);
