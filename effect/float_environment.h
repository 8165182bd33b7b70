// SPDX-License-Identifier: GPL-2.0-or-later
// The engine's bytes depend on the floating-point environment: its arithmetic is specified
// with round-to-nearest and with subnormal numbers kept. A host may run plug-ins with another
// rounding mode or with flush-to-zero set; every front end that calls the effect from a host's
// thread holds one of these for the call, which runs it in the default environment (the SSE
// control word whole, and the x87 rounding mode) and gives the host's back on return. Both
// belong to the calling thread.
#pragma once

#include <xmmintrin.h>

#include <cfenv>

class DefaultFloatEnvironment {
 public:
  DefaultFloatEnvironment() : mode_(std::fegetround()), saved_(_mm_getcsr()) {
    if (mode_ != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    _mm_setcsr(kDefault);
  }
  ~DefaultFloatEnvironment() {
    if (mode_ != FE_TONEAREST && mode_ >= 0) std::fesetround(mode_);
    _mm_setcsr(saved_);
  }
  DefaultFloatEnvironment(const DefaultFloatEnvironment&) = delete;
  DefaultFloatEnvironment& operator=(const DefaultFloatEnvironment&) = delete;

 private:
  // Every exception masked, round to nearest, no flush-to-zero, no denormals-are-zero.
  static constexpr unsigned int kDefault = 0x1F80;
  int mode_;
  unsigned int saved_;
};
