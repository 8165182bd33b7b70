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

// The kernel widths to try the fast engine with.
inline std::vector<bool> Sse2Limits() {
  LimitRowKernelsToSse2(false);
  std::vector<bool> limits = {true};
  if (RowKernelsUseAvx2()) limits.push_back(false);
  return limits;
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
  for (bool limit : Sse2Limits()) {
    LimitRowKernelsToSse2(limit);
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
      problem = out.str() + (limit ? " [16-byte vectors]" : " [32-byte vectors]");
      break;
    }
  }
  LimitRowKernelsToSse2(false);
  SelectFlameEngine(FlameEngine::kFast);
  plainAfter.Put();
  return problem;
}

}  // namespace fasttest
