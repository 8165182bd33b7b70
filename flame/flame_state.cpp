#include "flame/flame_state.h"

#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/preview_step.h"
#include "flame/render_flame.h"

FlameState SaveFlameState() {
  FlameState state;
  state.random = FlameRandom::state;
  state.bandPhase = bandPhase;
  state.previewPhase = previewPhase;
  state.resetPending = resetPending;
  state.stepCredit = stepCredit;
  state.stepIncrement = stepIncrement;
  state.renderPalette = renderPalette;
  state.renderColorTable = renderColorTable;
  return state;
}

void RestoreFlameState(const FlameState& state) {
  FlameRandom::state = state.random;
  bandPhase = state.bandPhase;
  previewPhase = state.previewPhase;
  resetPending = state.resetPending;
  stepCredit = state.stepCredit;
  stepIncrement = state.stepIncrement;
  renderPalette = state.renderPalette;
  renderColorTable = state.renderColorTable;
}
