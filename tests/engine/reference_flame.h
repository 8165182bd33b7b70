// SPDX-License-Identifier: GPL-2.0-or-later
// Plain models of the flame engine's passes, written straight from the behaviour's tables and
// sharing none of the engine's code, so that whole grids can be checked cell by cell. They
// favour obviousness over speed: explicit coordinates, a table per direction code, a copy of
// the drop buffer before its fall.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace reference {

using Grid = std::vector<uint8_t>;

// The engine's generator, kept apart from any fire's.
struct Random {
  uint32_t state;
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
};

inline uint8_t Cool(int v, int height, int soot, uint32_t jitter) {
  if (v > height) return static_cast<uint8_t>(v - height);
  if (v > soot) return static_cast<uint8_t>(v - static_cast<int>(jitter % uint32_t(soot + 1)));
  return static_cast<uint8_t>(v);
}

struct Offset {
  int dy, dx;
};
constexpr Offset kN{-1, 0}, kS{1, 0}, kE{0, 1}, kW{0, -1};

// One row per direction code: visiting orders, the three neighbours summed with the source
// cell and where the average lands.
struct DirectionRule {
  bool rowsFromBottom;     // rows visited from rows - 2 down to 1
  bool columnsFromRight;   // columns visited from columns - 2 down to 1
  Offset summed[3];
  Offset target;
};

inline const DirectionRule kDirectionRules[8] = {
    {true, false, {kN, kE, kW}, {1, 0}},     // 0 down
    {true, false, {kN, kE, kW}, {1, -1}},    // 1 down-left
    {false, false, {kN, kS, kE}, {0, -1}},   // 2 left
    {false, false, {kS, kE, kW}, {-1, -1}},  // 3 up-left
    {false, false, {kS, kE, kW}, {-1, 0}},   // 4 up
    {false, true, {kS, kE, kW}, {-1, 1}},    // 5 up-right
    {false, true, {kN, kS, kW}, {0, 1}},     // 6 right
    {true, true, {kN, kE, kW}, {1, 1}},      // 7 down-right
};

inline void DirectionPass(Grid& field, int columns, int rows, int height, int soot,
                          uint32_t jitter, int code) {
  if (rows < 3 || columns < 3) return;
  const DirectionRule& rule = kDirectionRules[code];
  auto at = [&](int y, int x) -> uint8_t& { return field[size_t(y) * columns + x]; };
  for (int iy = 0; iy < rows - 2; ++iy) {
    const int y = rule.rowsFromBottom ? rows - 2 - iy : 1 + iy;
    for (int ix = 0; ix < columns - 2; ++ix) {
      const int x = rule.columnsFromRight ? columns - 2 - ix : 1 + ix;
      int sum = at(y, x);
      for (const Offset& o : rule.summed) sum += at(y + o.dy, x + o.dx);
      at(y + rule.target.dy, x + rule.target.dx) = static_cast<uint8_t>(sum >> 2);
      at(y, x) = Cool(at(y, x), height, soot, jitter);
    }
  }
}

inline void SeedDiscs(Grid& field, const Grid& mask, int columns, int rows, int width,
                      int amplitude, int velocity, float& phase, Random& random) {
  const int a = static_cast<int>(width * (amplitude * static_cast<double>(0.01f)));
  const float d = static_cast<float>(velocity * static_cast<double>(0.0001f));
  int y = 1;
  while (y < rows) {
    random.state = 0;
    int rw = random.Next() % (width + 1);
    const int s1 = static_cast<int>((std::sin(static_cast<double>(phase)) + 1.0) * a);
    const int s2 = static_cast<int>((std::sin(1.1 * static_cast<double>(phase)) + 1.0) * a);
    phase = static_cast<float>(static_cast<double>(phase) + static_cast<double>(d));
    if (phase > 10000.0f) phase = 0.0f;
    if (rw == 0) rw = 2;
    int x = 1;
    while (x < columns) {
      int rx = random.Next() % (width + 1);
      if (rx == 0) rx = 2;
      const int r = std::min(rw, rx);
      for (int yy = y - rw; yy <= y + rw - 1; ++yy) {
        for (int xx = x - rx + s2; xx <= x + s1 - 1; ++xx) {
          if (xx < 1 || xx > columns - 2 || yy < 1 || yy > rows - 2) continue;
          const uint8_t m = mask[size_t(yy) * columns + xx];
          if (m != 0 && (xx - x) * (xx - x) + (yy - y) * (yy - y) < r * r)
            field[size_t(yy) * columns + xx] = m;
        }
      }
      x += 2 * rx;
    }
    y = static_cast<int>(y + rw * 1.2);
  }
}

inline void OverlayDrops(Grid& field, const Grid& drops) {
  for (size_t i = 0; i < field.size(); ++i)
    if (drops[i] > 20) field[i] = drops[i];
}

struct StepParams {
  int height, soot, width, amplitude, direction, drop, velocity;
};

inline void Step(Grid& field, const Grid& mask, const Grid& drops, int columns, int rows,
                 const StepParams& p, float& phase, Random& random) {
  const uint32_t jitter = static_cast<uint32_t>(random.Next());
  DirectionPass(field, columns, rows, p.height, p.soot, jitter, p.direction);
  SeedDiscs(field, mask, columns, rows, p.width, p.amplitude, p.velocity, phase, random);
  if (p.drop) OverlayDrops(field, drops);
}

inline void ScatterDrops(int columns, int rows, const Grid& mask, Grid& drops, Random& random) {
  const int bw = columns / 50 + 1, nbx = columns / bw;
  const int bh = rows / 30 + 1, nby = rows / bh;
  for (int block = 0; block < 4; ++block) {
    const int rx = random.Next();
    const int ry = random.Next();
    const int x0 = bw * (rx % nbx), y0 = bh * (ry % nby);
    for (int x = x0; x < x0 + bw; ++x)
      for (int y = y0; y < y0 + bh; ++y)
        if (x >= 2 && x <= columns - 3 && y >= 2 && y <= rows - 3) {
          const size_t i = size_t(y) * columns + x;
          drops[i] = static_cast<uint8_t>(std::min(200, std::max<int>(drops[i], mask[i])));
        }
  }
  if (rows < 4) return;
  const Grid before = drops;
  auto old = [&](int y, int x) { return int(before[size_t(y) * columns + x]); };
  for (int y = 2; y <= rows - 2; ++y)
    for (int x = 1; x <= columns - 2; ++x)
      drops[size_t(y + 1) * columns + x] =
          static_cast<uint8_t>((old(y - 1, x) + old(y, x - 1) + old(y, x) + old(y, x + 1)) >> 2);
}

struct PreviewParams {
  float height, soot, width, amplitude;
  int velocity;
};

// The preview step's averaging runs over the flat buffer, so its neighbours wrap across rows.
inline void PreviewStep(int columns, int rows, Grid& cells, const PreviewParams& p,
                        float& phase, Random& random) {
  const int h = static_cast<int>(p.height), s = static_cast<int>(p.soot);
  const int w = static_cast<int>(p.width);
  const uint32_t jitter = static_cast<uint32_t>(random.Next());
  const int a = static_cast<int>(p.amplitude);
  for (int y = rows - 2; y >= 2; --y)
    for (int x = 0; x < columns; ++x) {
      const size_t i = size_t(y) * columns + x;
      cells[i + columns] =
          static_cast<uint8_t>((cells[i - columns] + cells[i + 1] + cells[i - 1] + cells[i]) >> 2);
      cells[i] = Cool(cells[i], h, s, jitter);
    }
  const int amp = static_cast<int>(w * (a * static_cast<double>(0.01f)));
  const int s1 = static_cast<int>((std::sin(static_cast<double>(phase)) + 1.0) * amp);
  const int s2 = static_cast<int>((std::sin(1.1 * static_cast<double>(phase)) + 1.0) * amp);
  phase = static_cast<float>(phase + p.velocity * static_cast<double>(0.002f));
  if (phase > 10000.0f) phase = 0.0f;
  std::fill(cells.begin(), cells.begin() + 3 * columns, uint8_t{0});
  random.state = 0;
  int x = 1;
  while (x < columns) {
    int rx = random.Next() % w;
    if (rx == 0) rx = 2;
    for (int i = x + s1; i <= x + s2 + rx - 1; ++i)
      if (i >= 0 && i < columns)
        for (int row = 0; row < 3; ++row) cells[size_t(row) * columns + i] = 255;
    x += 2 * rx;
  }
}

}  // namespace reference
