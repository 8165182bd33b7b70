// The drop pass, fast. The four blocks touch each cell on its own, so they are filled row by
// row; the fall reads only the buffer as it was before the fall (each row is written one row
// below its source row, and rows are visited upward), so it is one vector sum per row.
#include <cstdint>

#include "flame/fast_flame.h"
#include "flame/fast_row_kernels.h"
#include "flame/flame_random.h"

void FastScatterDrops(int columns, int rows, const uint8_t* mask, uint8_t* drops) {
  const int bw = columns / 50 + 1;
  const int nbx = columns / bw;
  const int bh = rows / 30 + 1;
  const int nby = rows / bh;
  const long C = columns;

  for (int block = 0; block < 4; ++block) {
    const int rx = FlameRandom::Next();
    const int ry = FlameRandom::Next();
    const int x0 = bw * (rx % nbx);
    const int y0 = bh * (ry % nby);
    const int xFirst = x0 > 2 ? x0 : 2;
    const int xLast = x0 + bw - 1 < columns - 3 ? x0 + bw - 1 : columns - 3;
    const int yFirst = y0 > 2 ? y0 : 2;
    const int yLast = y0 + bh - 1 < rows - 3 ? y0 + bh - 1 : rows - 3;
    for (int y = yFirst; y <= yLast; ++y) {
      uint8_t* d = drops + y * C;
      const uint8_t* m = mask + y * C;
      for (int x = xFirst; x <= xLast; ++x) {
        const uint8_t v = d[x] > m[x] ? d[x] : m[x];
        d[x] = v > 200 ? 200 : v;
      }
    }
  }

  if (rows < 4 || columns < 3) return;
  for (int y = rows - 2; y >= 2; --y) {
    uint8_t* row = drops + y * C + 1;
    SumFourForward(row + C, row - C, row - 1, row, row + 1, columns - 2, nullptr);
  }
}
