// SPDX-License-Identifier: GPL-2.0-or-later
// Frames turned into 4:2:0 YUV (BT.601, studio range) with exactly the bytes swscale gives for
// it (bicubic, same size, from RGBA or RGB24 to YUV420P), in a fraction of its work:
//   - each pixel's luma at 15 bits, each horizontal pair's chroma from the pair's sums;
//   - luma kept as it is, chroma halved vertically by swscale's bicubic taps (its coefficients,
//     its edges) and rounded as its vector code rounds them (its last row as its C code does).
// Straight RGBA is weighted by its alpha on the way in (laid over black), and a frame with an
// odd side is read with one black row or column more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class YuvConversion {
 public:
  // Frames of width x height pixels with `channels` samples each: 4 (straight RGBA) or 3 (RGB).
  // Throws a CliError for an empty frame.
  YuvConversion(int32_t width, int32_t height, int channels);

  int32_t EvenWidth() const { return evenWidth_; }
  int32_t EvenHeight() const { return evenHeight_; }
  int32_t ChromaRows() const { return evenHeight_ / 2; }
  // Bytes of the planes Y, U and V one after another, each row as wide as its plane.
  size_t PlanesSize() const;

  // The chroma rows [first, end) of `samples` into `planes`, with the luma rows beside them
  // (2 * first up to 2 * end). Bands of rows may be converted at once on different threads.
  void ConvertRows(const uint8_t* samples, int32_t first, int32_t end, uint8_t* planes) const;

 private:
  void SourceRow(const uint8_t* samples, int32_t row, uint8_t* rgba, uint8_t* luma, int16_t* u,
                 int16_t* v) const;
  void ChromaRow(const int16_t* const* rows, int32_t chromaRow, uint8_t* out) const;

  int32_t width_, height_, channels_, evenWidth_, evenHeight_;
  int32_t taps_;                 // source rows weighed into each chroma row
  std::vector<int32_t> first_;   // each chroma row's first source row
  std::vector<int16_t> weights_; // taps_ a chroma row, in 4096ths
};
