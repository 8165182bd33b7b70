// Which implementation of the flame passes runs: the plain loops, which follow the visiting
// order cell by cell and serve as the oracle, or the fast engine, which works whole rows at a
// time with vector instructions and gives the same bytes. Process-wide; fast by default.
#pragma once

enum class FlameEngine { kPlain, kFast };

void SelectFlameEngine(FlameEngine engine);
FlameEngine SelectedFlameEngine();
