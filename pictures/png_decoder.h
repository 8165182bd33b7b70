// SPDX-License-Identifier: GPL-2.0-or-later
// PNG decoding: the bytes checked as they pass (png_structure.h) and decoded with libspng
// (Linux) or stb's decoder (the Windows and WebAssembly builds); any colour type and bit
// depth gives 8-bit RGBA (16-bit samples keep their high byte). Where the bytes come from is
// the caller's: memory here, a file in the renderer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "pictures/png_structure.h"
#include "pictures/rgba_image.h"

// Where a PNG's bytes come from: memory, or an open file (a pipe or a device as well).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes, fewer only at the end; 0 at the end. Throws a std::runtime_error.
  virtual size_t Read(uint8_t* into, size_t size) = 0;
};

// Decodes the PNG `source` gives into `image`, whose buffer is used again when it has room,
// reading no further than the PNG goes. Throws a PngError starting with the checker's name
// when it is not a PNG, truncated, broken or too large (the size is checked before the
// pixels are decoded); what the source throws passes through.
void DecodePng(ByteSource& source, PngChunkChecker& checker, RgbaImage* image);

// The same from bytes in memory; `name` is what the errors call them.
RgbaImage DecodePng(const std::vector<uint8_t>& bytes, const std::string& name);
