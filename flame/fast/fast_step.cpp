// SPDX-License-Identifier: GPL-2.0-or-later
// The render step, fast: the direction pass, the disc seeding and the drop overlay in one
// sweep over the field. Each row is seeded and stamped as soon as the direction pass has
// written it for the last time (see fast_direction_pass.h), while it is still in the cache.
// That gives the plain step's bytes because the seeding and the overlay of a row depend only
// on that row's values after the direction pass, on the mask and on the drops; and the row
// is seeded completely before its overlay, as the plain step overlays after all seeding.
#include <cstdint>

#include "flame/fast/fast_direction_pass.h"
#include "flame/fast/fast_flame.h"
#include "flame/fast/fast_row_kernels.h"
#include "flame/fast/fast_seeding.h"
#include "flame/plain/plain_flame.h"

void FastStepFlameField(FlameState& state, uint8_t* field, const uint8_t* mask,
                        const uint8_t* drops, int columns, int rows, int height, int soot,
                        int width, int amplitude, int direction, int drop, int velocity) {
  const uint32_t jitter = static_cast<uint32_t>(state.random.Next());
  const RowVectors v = VectorsFor(state.fast);
  fastflame::DiscSeedingPlan* plan = state.fast.caches.Seeding();
  const bool interior = rows >= 3 && columns >= 3;
  if (!plan || !plan->Plan(state.bandPhase, columns, rows, width, amplitude, velocity,
                           interior && !state.fast.directSeedingOnly)) {
    // No layout could be made (out of memory): the plain seeding does without one.
    FastFlameDirectionPass(state, field, columns, rows, height, soot, jitter, direction);
    PlainSeedFlameDiscs(state, field, mask, columns, rows, width, amplitude, velocity);
    if (drop) FastOverlayFlameDrops(state, field, drops, columns, rows);
    return;
  }
  if (!interior || !plan->HasCover()) {
    // Grids without an interior, or no cover patterns to be had: pass by pass.
    FastFlameDirectionPass(state, field, columns, rows, height, soot, jitter, direction);
    plan->SeedDirect(v, field, mask);
    plan->LeaveGenerator(state.random);
    if (drop) FastOverlayFlameDrops(state, field, drops, columns, rows);
    return;
  }

  // Finishes a row by seeding it from its cover rows and laying the drops over it.
  struct StepFinish {
    uint8_t* field;
    const uint8_t* mask;
    const uint8_t* drops;  // null when "Drop" is off
    long columns;
    int rows;
    const fastflame::DiscSeedingPlan* plan;
    RowVectors v;

    bool Fuses(int r, fastflame::FinishRowData* data) const {
      const long i = r * columns;
      data->mask = mask + i;
      data->first = data->second = nullptr;
      if (r >= 1 && r <= rows - 2) plan->Cover(r, &data->first, &data->second);
      data->drops = drops ? drops + i : nullptr;
      return true;
    }
    void operator()(int r) const {
      fastflame::FinishRowData data;
      Fuses(r, &data);
      FinishRun(v, field + r * columns, data.mask, data.first, data.second, data.drops,
                static_cast<int>(columns));
    }
  };
  const StepFinish finish{field, mask, drop ? drops : nullptr, columns, rows, plan, v};
  fastflame::DirectionPassByRows(v, field, columns, rows,
                                 fastflame::CoolingOf(height, soot, jitter), direction, finish);
  plan->LeaveGenerator(state.random);
}
