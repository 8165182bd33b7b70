// SPDX-License-Identifier: GPL-2.0-or-later
// PNG encoding in memory. The Linux build encodes with libspng, tuned for fire frames (mostly
// transparent, smooth gradients); the Windows build, which has no such library, with stb's
// encoder. Both write 8-bit RGB or RGBA that decodes to exactly the given samples.
#pragma once

#include <cstdint>
#include <vector>

// How the fast encoder filters rows and compresses them. The defaults were chosen with
// bench/png_settings_bench.cpp on 1920x1080 fire frames: the fastest setting whose files are no
// larger than ffmpeg's PNG encoder makes from the same frames (143 KB a frame): 141 KB, about
// 33 ms of CPU a frame. "Up" suits flames, which change slowly from row to row; level 5 makes
// 134 KB in about 39 ms, levels 1 to 3 are faster but make 180 KB and more; run-length coding
// alone makes files up to four times larger, and a filter picked per row costs twice the time.
struct PngSettings {
  int filter = 2;        // row filter for every row: 0 none, 1 sub, 2 up, 3 average, 4 paeth,
                         // 5 the encoder's pick per row
  int level = 4;         // zlib level
  int strategy = 1;      // zlib strategy: 0 default, 1 filtered, 3 run-length
};

// Rows of `channels` (3: RGB, 4: RGBA) 8-bit samples, `width` pixels per row, as PNG bytes,
// with the build's encoder. Throws a PngError when the encoder fails.
std::vector<uint8_t> EncodePng(const uint8_t* samples, int32_t width, int32_t height,
                               int channels);

// The same through stb's encoder, the renderer's writer before libspng.
std::vector<uint8_t> EncodePngWithStb(const uint8_t* samples, int32_t width, int32_t height,
                                      int channels);

#if defined(FYREL_HAVE_SPNG)
// The same through libspng with the given settings.
std::vector<uint8_t> EncodePngWithSpng(const uint8_t* samples, int32_t width, int32_t height,
                                       int channels, const PngSettings& settings);
#endif
