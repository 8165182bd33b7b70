#include "flame/flame_engine.h"

namespace {

FlameEngine selectedEngine = FlameEngine::kFast;

}  // namespace

void SelectFlameEngine(FlameEngine engine) { selectedEngine = engine; }

FlameEngine SelectedFlameEngine() { return selectedEngine; }
