// SPDX-License-Identifier: GPL-2.0-or-later
// Runs one operation on the plain engine and on the fast one from the same state (generator,
// band phase, render state) and reports the first difference. The fast run goes once per way
// of running it: with 16-byte vectors, with 32-byte ones where the processor has them, each
// with the seeding from cover patterns and disc by disc. Each engine keeps one fire from
// comparison to comparison, so that the fast engine's caches carry over as they do in renders.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "flame/fast/fast_row_kernels.h"
#include "flame/flame_field.h"
#include "flame/flame_state.h"
#include "flame/render_flame.h"

namespace fasttest {

using Bytes = std::vector<uint8_t>;
using Buffers = std::vector<Bytes>;

// What the passes may change in a fire's state, compared value by value.
struct StateValues {
  uint32_t random;
  float phase;
  bool reset;
  float credit;
  float increment;

  static StateValues Of(const FlameState& s) {
    return {s.random.state, s.bandPhase, s.resetPending, s.stepCredit, s.stepIncrement};
  }
  void Put(FlameState& s) const {
    s.random.state = random;
    s.bandPhase = phase;
    s.resetPending = reset;
    s.stepCredit = credit;
    s.stepIncrement = increment;
  }
  bool operator==(const StateValues& o) const {
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

// The ways to run the fast engine.
struct FastMode {
  bool sse2Only;
  bool directSeeding;
  const char* name;
  void Apply(FlameState& state) const {
    state.engine = FlameEngine::kFast;
    state.fast.sse2Only = sse2Only;
    state.fast.directSeedingOnly = directSeeding;
  }
};

inline std::vector<FastMode> FastModes() {
  std::vector<FastMode> modes = {{true, false, "16-byte vectors"},
                                 {true, true, "16-byte vectors, direct seeding"}};
  if (ProcessorHasAvx2()) {
    modes.push_back({false, false, "32-byte vectors"});
    modes.push_back({false, true, "32-byte vectors, direct seeding"});
  }
  return modes;
}

// One fire on the plain engine and one per fast mode, all with the same state values between
// comparisons.
class EnginePair {
 public:
  EnginePair() : modes_(FastModes()), fast_(modes_.size()) {
    plain_.engine = FlameEngine::kPlain;
    for (size_t m = 0; m < modes_.size(); ++m) modes_[m].Apply(fast_[m]);
  }

  // The state values every fire starts the next comparison from.
  StateValues Values() const { return StateValues::Of(plain_); }
  void SetValues(const StateValues& values) {
    values.Put(plain_);
    for (FlameState& fire : fast_) values.Put(fire);
  }
  void SetRandom(uint32_t state) {
    StateValues values = Values();
    values.random = state;
    SetValues(values);
  }
  void SetBandPhase(float phase) {
    StateValues values = Values();
    values.phase = phase;
    SetValues(values);
  }

  // `run` works on `buffers` (all the bytes the operation may change) with a fire's state.
  // Returns "" when every engine leaves the same bytes and state values, else a description.
  // Afterwards every fire has the plain engine's state values.
  std::string Compare(const std::vector<Bytes>& start,
                      const std::function<void(FlameState&, std::vector<Bytes>&)>& run) {
    std::vector<Bytes> plain = start;
    run(plain_, plain);
    const StateValues plainAfter = StateValues::Of(plain_);
    std::string problem;
    for (size_t m = 0; m < modes_.size() && problem.empty(); ++m) {
      std::vector<Bytes> fast = start;
      run(fast_[m], fast);
      const StateValues fastAfter = StateValues::Of(fast_[m]);
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
      if (!out.str().empty()) problem = out.str() + " [" + modes_[m].name + "]";
    }
    SetValues(plainAfter);
    return problem;
  }

  const std::vector<FastMode>& Modes() const { return modes_; }
  FlameState& Fast(size_t mode) { return fast_[mode]; }

 private:
  std::vector<FastMode> modes_;
  FlameState plain_;
  std::vector<FlameState> fast_;
};

// The pair a test program's comparisons share.
inline EnginePair& Engines() {
  static EnginePair pair;
  return pair;
}

inline std::string CompareEngines(
    const std::vector<Bytes>& start,
    const std::function<void(FlameState&, std::vector<Bytes>&)>& run) {
  return Engines().Compare(start, run);
}

}  // namespace fasttest
