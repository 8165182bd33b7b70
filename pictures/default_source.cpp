// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures/default_source.h"

#include <cstring>

namespace {

// The letters on a 5 x 7 grid; '#' is ink.
constexpr int kGlyphColumns = 5, kGlyphRows = 7;
const char* const kWordmark[] = {
    // F        Y        R        E        L
    "##### #...# ####. ##### #....",
    "#.... #...# #...# #.... #....",
    "#.... .#.#. #...# #.... #....",
    "####. ..#.. ####. ####. #....",
    "#.... ..#.. #.#.. #.... #....",
    "#.... ..#.. #..#. #.... #....",
    "#.... ..#.. #...# ##### #####",
};
constexpr int kLetters = 5;
constexpr int kCell = 10;        // pixels per grid cell: strokes 10 pixels thick
constexpr int kLetterGap = 1;    // grid cells between letters
constexpr int kBottomMargin = 22; // room below the word; the flames rise above it

}  // namespace

RgbaImage DrawDefaultSource() {
  RgbaImage image;
  image.width = kDefaultSourceWidth;
  image.height = kDefaultSourceHeight;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height * 4, 0);

  const int wordColumns = kLetters * kGlyphColumns + (kLetters - 1) * kLetterGap;
  const int left = (image.width - wordColumns * kCell) / 2;
  const int top = image.height - kBottomMargin - kGlyphRows * kCell;
  for (int row = 0; row < kGlyphRows; ++row) {
    const char* line = kWordmark[row];
    for (int column = 0; column < static_cast<int>(std::strlen(line)); ++column) {
      if (line[column] != '#') continue;
      // The text's blanks stand for the gaps between letters, one grid cell each.
      for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
          size_t at = (static_cast<size_t>(top + row * kCell + y) * image.width +
                       (left + column * kCell + x)) * 4;
          image.pixels[at + 0] = kDefaultSourceInk;
          image.pixels[at + 1] = kDefaultSourceInk;
          image.pixels[at + 2] = kDefaultSourceInk;
          image.pixels[at + 3] = 255;
        }
      }
    }
  }
  return image;
}
