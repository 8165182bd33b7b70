// SPDX-License-Identifier: GPL-2.0-or-later
// The one translation unit that holds the stb PNG decoder and encoder. Only PNG is decoded,
// and files are read and written by the renderer (cli/png/png_io.cpp), so neither part touches stdio.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
