// SPDX-License-Identifier: GPL-2.0-or-later
// The colouring, fast: one lookup per pixel in a table of 256 finished output pixels, made
// for each render by FlameHeatPixel itself, so every pixel is what the plain loop computes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "flame/fast/fast_flame.h"
#include "flame/heat_colour.h"

void FastColourFlameField(const uint8_t* field, int stride, int width, int rows,
                          const FlameColorTable& table, int32_t alpha, FlamePixel* output) {
  uint32_t finished[256];
  for (int h = 0; h < 256; ++h) {
    const FlamePixel pixel = FlameHeatPixel(static_cast<uint8_t>(h), table, alpha);
    std::memcpy(&finished[h], &pixel, sizeof pixel);
  }
  // Row 0 is never written.
  const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(stride) * 4;
  if (rows < 2) return;
  FastColourRows(field + stride, stride, width, rows - 1, finished,
                 reinterpret_cast<uint8_t*>(output) + rowBytes, rowBytes);
}

void FastColourRows(const uint8_t* field, int stride, int width, int rows,
                    const uint32_t finished[256], uint8_t* output, ptrdiff_t rowBytes) {
  for (int y = 0; y < rows; ++y) {
    const uint8_t* heat = field + static_cast<ptrdiff_t>(y) * stride;
    uint8_t* out = output + static_cast<ptrdiff_t>(y) * rowBytes;
    int x = 0;
#if defined(__SSE2__)
    // The output is written and not read again by the render: streaming stores keep it out
    // of the cache, which the source and the buffers need. They want 16-byte alignment.
    for (; x < width && (reinterpret_cast<uintptr_t>(out + 4 * x) & 15) != 0; ++x) {
      std::memcpy(out + 4 * x, &finished[heat[x]], 4);
    }
    // Sixteen cold cells (heat 0) in a row are stored at once; otherwise four heats come in
    // one load and leave as four finished pixels in one store.
    const __m128i zero = _mm_setzero_si128();
    const __m128i cold = _mm_set1_epi32(static_cast<int>(finished[0]));
    for (; x + 16 <= width; x += 16) {
      const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(heat + x));
      __m128i* o = reinterpret_cast<__m128i*>(out + 4 * x);
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(sixteen, zero)) == 0xFFFF) {
        for (int q = 0; q < 4; ++q) _mm_stream_si128(o + q, cold);
        continue;
      }
      for (int q = 0; q < 4; ++q) {
        uint32_t four;
        std::memcpy(&four, heat + x + 4 * q, sizeof four);
        _mm_stream_si128(o + q, _mm_setr_epi32(static_cast<int>(finished[four & 0xFF]),
                                               static_cast<int>(finished[(four >> 8) & 0xFF]),
                                               static_cast<int>(finished[(four >> 16) & 0xFF]),
                                               static_cast<int>(finished[four >> 24])));
      }
    }
#endif
    for (; x < width; ++x) std::memcpy(out + 4 * x, &finished[heat[x]], 4);
  }
#if defined(__SSE2__)
  _mm_sfence();  // the streamed pixels are in memory before the host sees the frame
#endif
}
