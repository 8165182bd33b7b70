// SPDX-License-Identifier: GPL-2.0-or-later
// Plain models of the fire colours: the built-in gradient generated from its range rules, and
// the four-colour gradient with its mixed float/double increments.
#pragma once

#include <cstdint>
#include <cstring>

namespace reference {

struct Rgb {
  int red, green, blue;
};

inline Rgb Channels(uint32_t color) {
  return {int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)};
}

// Levels 0..63 per channel, from the ranges of entries; values are four times the level.
struct BuiltinLevels {
  uint8_t level[256][3] = {};  // red, green, blue

  void Set(int channel, int first, int last, int value) {
    for (int e = first; e <= last; ++e) level[e][channel] = static_cast<uint8_t>(value);
  }

  BuiltinLevels() {
    enum { R = 0, G = 1, B = 2 };
    // Red.
    Set(R, 0, 7, 0);
    for (int e = 8; e <= 22; ++e) Set(R, e, e, 2 * (e - 7));
    Set(R, 23, 24, 32);
    Set(R, 25, 25, 33), Set(R, 26, 26, 34), Set(R, 27, 27, 35);
    Set(R, 28, 29, 36);
    Set(R, 30, 30, 37), Set(R, 31, 31, 38), Set(R, 32, 32, 39);
    Set(R, 33, 34, 40);
    for (int e = 35; e <= 55; ++e) Set(R, e, e, 41 + (e - 35));
    Set(R, 56, 255, 63);
    // Green.
    Set(G, 0, 39, 0);
    for (int n = 1; n <= 22; ++n) Set(G, 38 + 2 * n, 39 + 2 * n, n);
    Set(G, 84, 84, 23);
    for (int n = 24; n <= 36; ++n) Set(G, 2 * n + 37, 2 * n + 38, n);
    Set(G, 111, 111, 37);
    for (int n = 38; n <= 50; ++n) Set(G, 2 * n + 36, 2 * n + 37, n);
    Set(G, 138, 138, 51);
    Set(G, 139, 143, 52), Set(G, 144, 147, 53), Set(G, 148, 152, 54), Set(G, 153, 156, 55);
    Set(G, 157, 160, 56), Set(G, 161, 165, 57), Set(G, 166, 169, 58), Set(G, 170, 173, 59);
    Set(G, 174, 178, 60), Set(G, 179, 182, 61), Set(G, 183, 186, 62), Set(G, 187, 255, 63);
    // Blue.
    Set(B, 0, 0, 0), Set(B, 1, 2, 6), Set(B, 3, 3, 7), Set(B, 4, 5, 8), Set(B, 6, 6, 9);
    Set(B, 7, 8, 10), Set(B, 9, 10, 9), Set(B, 11, 11, 8), Set(B, 12, 13, 7), Set(B, 14, 14, 6);
    Set(B, 15, 16, 5), Set(B, 17, 18, 4), Set(B, 19, 19, 3), Set(B, 20, 21, 2), Set(B, 22, 22, 1);
    Set(B, 23, 187, 0);
    int e = 188;
    for (int n = 1; n <= 63; ++n) {
      const bool twice = n == 10 || n == 21 || n == 31 || n == 42 || n == 52;
      Set(B, e, e + (twice ? 1 : 0), n);
      e += twice ? 2 : 1;
    }
  }
};

// Bytes 0-2 of each entry as blue, green, red; byte 3 is left alone.
inline void BuildPalette(uint8_t entries[256][4], uint32_t color1, uint32_t color2,
                         uint32_t color3, uint32_t color4, int p2, int p3) {
  struct Increment {
    double red, green, blue;
  };
  auto increment = [](Rgb from, Rgb to, int length) -> Increment {
    if (length == 0) return {0, 0, 0};
    // Red and green pass through single precision; blue stays double.
    volatile float red = static_cast<float>(double(to.red - from.red) / length);
    volatile float green = static_cast<float>(double(to.green - from.green) / length);
    return {red, green, double(to.blue - from.blue) / length};
  };
  auto put = [&](int e, int red, int green, int blue) {
    entries[e][0] = static_cast<uint8_t>(blue);
    entries[e][1] = static_cast<uint8_t>(green);
    entries[e][2] = static_cast<uint8_t>(red);
  };
  auto linear = [&](int e, double steps, Rgb base, Increment inc) {
    put(e, int(steps * inc.red + base.red), int(steps * inc.green + base.green),
        int(steps * inc.blue + base.blue));
  };
  const Rgb c1 = Channels(color1), c2 = Channels(color2), c3 = Channels(color3),
            c4 = Channels(color4);

  const Increment inc1 = increment(c1, c2, p2);
  put(0, c1.red, c1.green, c1.blue);
  for (int k = 1; k <= p2 - 1; ++k) linear(k, k, c1, inc1);

  const Increment inc2 = p3 == p2 ? Increment{0, 0, 0} : increment(c2, c3, p3 - p2);
  put(p2, c2.red, c2.green, c2.blue);
  for (int k = p2 + 1; k <= p3 - 1; ++k) linear(k, k - p2, c2, inc2);

  const int length = 255 - p3;
  const Increment inc3 = p3 >= 255 ? Increment{0, 0, 0} : increment(c3, c4, length);
  put(p3, c3.red, c3.green, c3.blue);
  for (int k = p3 + 1; k <= 255; ++k) {
    const double t = double(k - p3) / length;
    linear(k, ((t * t) * t) * length, c3, inc3);
  }
  put(255, 0, 0, 0);
}

}  // namespace reference
