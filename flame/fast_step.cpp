// The render step, fast: the direction pass, the disc seeding and the drop overlay in one
// sweep over the field. Each row is seeded and stamped as soon as the direction pass has
// written it for the last time (see fast_direction_pass.h), while it is still in the cache.
// That gives the plain step's bytes because the seeding and the overlay of a row depend only
// on that row's values after the direction pass, on the mask and on the drops; and the row
// is seeded completely before its overlay, as the plain step overlays after all seeding.
#include <cstdint>

#include "flame/fast_direction_pass.h"
#include "flame/fast_flame.h"
#include "flame/fast_row_kernels.h"
#include "flame/fast_seeding.h"
#include "flame/flame_random.h"
#include "flame/plain_flame.h"

void FastStepFlameField(uint8_t* field, const uint8_t* mask, const uint8_t* drops, int columns,
                        int rows, int height, int soot, int width, int amplitude, int direction,
                        int drop, int velocity) {
  const uint32_t jitter = static_cast<uint32_t>(FlameRandom::Next());
  fastflame::DiscSeedingPlan& plan = fastflame::SharedSeedingPlan();
  const bool interior = rows >= 3 && columns >= 3;
  if (!plan.Plan(columns, rows, width, amplitude, velocity, interior)) {
    // No layout could be made (out of memory): the plain seeding does without one.
    FastFlameDirectionPass(field, columns, rows, height, soot, jitter, direction);
    PlainSeedFlameDiscs(field, mask, columns, rows, width, amplitude, velocity);
    if (drop) FastOverlayFlameDrops(field, drops, columns, rows);
    return;
  }
  if (!interior || !plan.HasCover()) {
    // Grids without an interior, or no cover patterns to be had: pass by pass.
    FastFlameDirectionPass(field, columns, rows, height, soot, jitter, direction);
    plan.SeedDirect(field, mask);
    plan.LeaveGenerator();
    if (drop) FastOverlayFlameDrops(field, drops, columns, rows);
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
      FinishRun(field + r * columns, data.mask, data.first, data.second, data.drops,
                static_cast<int>(columns));
    }
  };
  const StepFinish finish{field, mask, drop ? drops : nullptr, columns, rows, &plan};
  fastflame::DirectionPassByRows(field, columns, rows,
                                 fastflame::CoolingOf(height, soot, jitter), direction, finish);
  plan.LeaveGenerator();
}
