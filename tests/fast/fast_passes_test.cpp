// SPDX-License-Identifier: GPL-2.0-or-later
// Each pass of the fast engine against the plain loop, on random contents, over grid sizes
// from 1 x 1 to 67 x 67 (none of them tied to a vector width) and parameters at their ends.
#include <gtest/gtest.h>

#include <random>

#include "flame/flame_field.h"
#include "flame/render_flame.h"
#include "tests/fast/engine_pair.h"
#include "tests/support/engine_passes.h"

namespace {

using fasttest::Buffers;
using fasttest::Bytes;
using fasttest::CompareEngines;
using fasttest::RandomBytes;

const int kRowCounts[] = {1, 2, 3, 4, 5, 8, 17, 33, 67};

TEST(FastDirectionPass, EveryCodeAndSizeMatchesThePlainPass) {
  std::mt19937 rng(7);
  // (height, soot, jitter): the defaults, the ends, and soot above height.
  const int cooling[][3] = {{13, 1, 29}, {0, 0, 0}, {255, 255, 32767}, {0, 255, 5},
                            {255, 0, 12345}, {3, 200, 77}};
  for (int code = 0; code < 8; ++code) {
    for (int rows : kRowCounts) {
      for (int columns = 1; columns <= 67; ++columns) {
        const int* c = cooling[(columns + rows + code) % 6];
        const Bytes field = RandomBytes(rng, size_t(columns) * rows, 10);
        const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
          FlameDirectionPass(state, b[0].data(), columns, rows, c[0], c[1], uint32_t(c[2]), code);
        });
        ASSERT_EQ(problem, "") << "code " << code << ", " << columns << " x " << rows
                               << ", height " << c[0] << " soot " << c[1];
      }
    }
  }
}

TEST(FastDirectionPass, AllCoolingParametersOnOneGrid) {
  std::mt19937 rng(8);
  const int values[] = {0, 1, 2, 13, 100, 154, 254, 255};
  const Bytes field = RandomBytes(rng, 35 * 9, 5);
  for (int code = 0; code < 8; ++code) {
    for (int height : values) {
      for (int soot : values) {
        const uint32_t jitter = rng() & 0x7FFF;
        const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
          FlameDirectionPass(state, b[0].data(), 35, 9, height, soot, jitter, code);
        });
        ASSERT_EQ(problem, "") << "code " << code << " height " << height << " soot " << soot;
      }
    }
  }
}

TEST(FastSeedFlameDiscs, RandomMasksAndParametersMatchThePlainSeeding) {
  std::mt19937 rng(9);
  const int widths[] = {0, 1, 2, 5, 12, 41, 100, 255};
  const int amplitudes[] = {0, 12, 255};
  const int velocities[] = {0, 45, 255};
  // Phases near the start, far out, and just below the wrap above 10000.
  const float phases[] = {0.0f, 1.2345f, 523.25f, 9999.99f};
  int n = 0;
  for (int rows : kRowCounts) {
    for (int columns : {1, 2, 3, 4, 7, 16, 17, 31, 32, 33, 64, 67}) {
      for (int width : widths) {
        ++n;
        const int amplitude = amplitudes[n % 3];
        const int velocity = velocities[(n / 3) % 3];
        fasttest::Engines().SetBandPhase(phases[n % 4]);
        fasttest::Engines().SetRandom(rng());
        const Bytes field = RandomBytes(rng, size_t(columns) * rows, 20);
        const Bytes mask = RandomBytes(rng, size_t(columns) * rows, 40);
        const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
          SeedFlameDiscs(state, b[0].data(), mask.data(), columns, rows, width, amplitude,
                         velocity);
        });
        ASSERT_EQ(problem, "") << columns << " x " << rows << ", width " << width
                               << " amplitude " << amplitude << " velocity " << velocity;
      }
    }
  }
}

TEST(FastSeedFlameDiscs, ALargeFieldWithChangingGeometry) {
  // The fast seeding keeps the band's draws for one width and column count; changing either
  // must redraw them.
  std::mt19937 rng(10);
  const int geometry[][3] = {{300, 120, 41}, {300, 120, 20}, {301, 120, 20}, {300, 120, 41}};
  for (const auto& g : geometry) {
    const Bytes field = RandomBytes(rng, size_t(g[0]) * g[1], 30);
    const Bytes mask = RandomBytes(rng, size_t(g[0]) * g[1], 50);
    for (int repeat = 0; repeat < 3; ++repeat) {
      const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
        SeedFlameDiscs(state, b[0].data(), mask.data(), g[0], g[1], g[2], 12, 45);
      });
      ASSERT_EQ(problem, "") << g[0] << " x " << g[1] << " width " << g[2];
    }
  }
}

TEST(FastOverlayFlameDrops, EveryDropValueAndSize) {
  std::mt19937 rng(11);
  for (int rows : kRowCounts) {
    for (int columns = 1; columns <= 67; columns += 3) {
      const Bytes field = RandomBytes(rng, size_t(columns) * rows);
      const Bytes drops = RandomBytes(rng, size_t(columns) * rows, 30, 40);  // around 20
      const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
        OverlayFlameDrops(state, b[0].data(), drops.data(), columns, rows);
      });
      ASSERT_EQ(problem, "") << columns << " x " << rows;
    }
  }
}

TEST(FastScatterDrops, BlocksAndFallMatchThePlainPass) {
  std::mt19937 rng(12);
  for (int rows : kRowCounts) {
    for (int columns = 1; columns <= 67; columns += 2) {
      fasttest::Engines().SetRandom(rng());
      const Bytes mask = RandomBytes(rng, size_t(columns) * rows, 20);
      const Bytes drops = RandomBytes(rng, size_t(columns) * rows, 20);  // above 200 too
      const auto problem = CompareEngines({drops}, [&](FlameState& state, Buffers& b) {
        for (int i = 0; i < 3; ++i) ScatterDrops(state, columns, rows, mask.data(), b[0].data());
      });
      ASSERT_EQ(problem, "") << columns << " x " << rows;
    }
  }
}

TEST(FastStepFlameField, WholeStepsWithEveryParameterAtItsEnds) {
  std::mt19937 rng(13);
  const int ends[] = {0, 255};
  int n = 0;
  for (int code = 0; code < 8; ++code) {
    for (int drop : {0, 1}) {
      for (int e = 0; e < 32; ++e) {
        ++n;
        const int height = ends[e & 1], soot = ends[(e >> 1) & 1], width = ends[(e >> 2) & 1];
        const int amplitude = ends[(e >> 3) & 1], velocity = ends[(e >> 4) & 1];
        const int columns = 20 + (n * 7) % 48, rows = 3 + (n * 5) % 65;
        const size_t size = size_t(columns) * rows;
        const Bytes field = RandomBytes(rng, size, 20);
        const Bytes mask = RandomBytes(rng, size, 40);
        const Bytes drops = RandomBytes(rng, size, 50, 200);
        fasttest::Engines().SetBandPhase(float(rng() % 1000) / 7.0f);
        const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
          for (int step = 0; step < 3; ++step) {
            StepFlameField(state, b[0].data(), mask.data(), drops.data(), columns, rows, height,
                           soot, width, amplitude, code, drop, velocity);
          }
        });
        ASSERT_EQ(problem, "") << "code " << code << " drop " << drop << " height " << height
                               << " soot " << soot << " width " << width << " amplitude "
                               << amplitude << " velocity " << velocity << ", " << columns
                               << " x " << rows;
      }
    }
  }
}

TEST(FastStepFlameField, ManyWindowsPerStepAndNarrowBands) {
  // Width 2 makes RW 2, so bands lie two rows apart; a fast phase and a large amplitude give
  // nearly every band its own clipping window: more cover patterns than are kept at once.
  std::mt19937 rng(15);
  const int cases[][4] = {{2, 255, 255, 67}, {5, 255, 255, 67}, {41, 255, 255, 160},
                          {1, 0, 255, 40}, {255, 255, 0, 120}, {3, 40, 200, 90}};
  for (const auto& c : cases) {
    const int width = c[0], amplitude = c[1], velocity = c[2], rows = c[3], columns = 67;
    const size_t size = size_t(columns) * rows;
    const Bytes field = RandomBytes(rng, size, 20), mask = RandomBytes(rng, size, 30);
    const Bytes drops = RandomBytes(rng, size, 60, 200);
    fasttest::Engines().SetBandPhase(17.5f);
    const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
      for (int step = 0; step < 6; ++step) {
        StepFlameField(state, b[0].data(), mask.data(), drops.data(), columns, rows, 13, 1, width,
                       amplitude, step % 8, 1, velocity);
        SeedFlameDiscs(state, b[0].data(), mask.data(), columns, rows, width, amplitude, velocity);
      }
    });
    ASSERT_EQ(problem, "") << "width " << width << " amplitude " << amplitude << " velocity "
                           << velocity << ", " << columns << " x " << rows;
  }
}

TEST(FastStepFlameField, DefaultParametersOnTinyGrids) {
  std::mt19937 rng(14);
  for (int rows = 1; rows <= 6; ++rows) {
    for (int columns = 1; columns <= 6; ++columns) {
      const size_t size = size_t(columns) * rows;
      const Bytes field = RandomBytes(rng, size), mask = RandomBytes(rng, size, 30);
      const Bytes drops = RandomBytes(rng, size, 30, 200);
      for (int code = 0; code < 8; ++code) {
        const auto problem = CompareEngines({field}, [&](FlameState& state, Buffers& b) {
          StepFlameField(state, b[0].data(), mask.data(), drops.data(), columns, rows, 13, 1, 41,
                         12, code, 1, 45);
        });
        ASSERT_EQ(problem, "") << "code " << code << ", " << columns << " x " << rows;
      }
    }
  }
}

}  // namespace
