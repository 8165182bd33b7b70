// Runs one operation on the plain engine and on the fast one from the same process-wide state
// (generator, band phase, render state) and reports the first difference. The fast run goes
// twice where the processor has 32-byte vectors: once with them and once kept to 16-byte ones.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "flame/fast_row_kernels.h"
#include "flame/fast_seeding.h"
#include "flame/flame_engine.h"
#include "flame/flame_field.h"
#include "flame/flame_random.h"
#include "flame/render_flame.h"

namespace fasttest {

using Bytes = std::vector<uint8_t>;

struct GlobalState {
  uint32_t random;
  float phase;
  bool reset;
  float credit;
  float increment;

  static GlobalState Take() {
    return {FlameRandom::state, bandPhase, resetPending, stepCredit, stepIncrement};
  }
  void Put() const {
    FlameRandom::state = random;
    bandPhase = phase;
    resetPending = reset;
    stepCredit = credit;
    stepIncrement = increment;
  }
  bool operator==(const GlobalState& o) const {
    return random == o.random && std::memcmp(&phase, &o.phase, sizeof phase) == 0 &&
           reset == o.reset && std::memcmp(&credit, &o.credit, sizeof credit) == 0 &&
           std::memcmp(&increment, &o.increment, sizeof increment) == 0;
  }
};

// Where two byte runs first differ, or -1.
inline long FirstDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return static_cast<long>(i);
  }
  return -1;
}

inline Bytes RandomBytes(std::mt19937& rng, size_t n, int zeroPercent = 0, int top = 255) {
  Bytes bytes(n);
  std::uniform_int_distribution<int> value(0, top), percent(0, 99);
  for (auto& b : bytes) b = percent(rng) < zeroPercent ? 0 : static_cast<uint8_t>(value(rng));
  return bytes;
}

// The ways to run the fast engine: with 16-byte vectors, with 32-byte ones where the
// processor has them, and with the seeding done disc by disc instead of from cover patterns.
struct FastMode {
  bool sse2Only;
  bool directSeeding;
  const char* name;
  void Apply() const {
    LimitRowKernelsToSse2(sse2Only);
    fastflame::LimitSeedingToDirectRuns(directSeeding);
  }
};

inline std::vector<FastMode> FastModes() {
  LimitRowKernelsToSse2(false);
  std::vector<FastMode> modes = {{true, false, "16-byte vectors"},
                                 {true, true, "16-byte vectors, direct seeding"}};
  if (RowKernelsUseAvx2()) {
    modes.push_back({false, false, "32-byte vectors"});
    modes.push_back({false, true, "32-byte vectors, direct seeding"});
  }
  return modes;
}

inline void ResetFastMode() {
  LimitRowKernelsToSse2(false);
  fastflame::LimitSeedingToDirectRuns(false);
}

// `run` works on `buffers` (all the bytes the operation may change). Returns "" when both
// engines leave the same bytes and state, else a description.
inline std::string CompareEngines(const std::vector<Bytes>& start,
                                  const std::function<void(std::vector<Bytes>&)>& run) {
  const GlobalState before = GlobalState::Take();
  std::vector<Bytes> plain = start;
  SelectFlameEngine(FlameEngine::kPlain);
  run(plain);
  const GlobalState plainAfter = GlobalState::Take();
  std::string problem;
  for (const FastMode& mode : FastModes()) {
    mode.Apply();
    before.Put();
    std::vector<Bytes> fast = start;
    SelectFlameEngine(FlameEngine::kFast);
    run(fast);
    const GlobalState fastAfter = GlobalState::Take();
    std::ostringstream out;
    for (size_t b = 0; b < plain.size(); ++b) {
      const long at = FirstDifference(plain[b], fast[b]);
      if (at >= 0) {
        out << "buffer " << b << " differs at byte " << at << " (plain "
            << int(plain[b][at]) << ", fast " << int(fast[b][at]) << ")";
        break;
      }
    }
    if (out.str().empty() && !(plainAfter == fastAfter)) {
      out << "state differs: generator " << plainAfter.random << " vs " << fastAfter.random
          << ", bandPhase " << plainAfter.phase << " vs " << fastAfter.phase;
    }
    if (!out.str().empty()) {
      problem = out.str() + " [" + mode.name + "]";
      break;
    }
  }
  ResetFastMode();
  SelectFlameEngine(FlameEngine::kFast);
  plainAfter.Put();
  return problem;
}

}  // namespace fasttest
