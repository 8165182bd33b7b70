// The engine's bytes depend on the floating-point environment: its arithmetic is specified
// with round-to-nearest and with subnormal numbers kept. A host may run plug-ins with another
// rounding mode or with flush-to-zero set; each call into the effect runs in the default
// environment and gives the host's back on return.
#pragma once

#include <xmmintrin.h>

class DefaultFloatEnvironment {
 public:
  DefaultFloatEnvironment() : saved_(_mm_getcsr()) { _mm_setcsr(kDefault); }
  ~DefaultFloatEnvironment() { _mm_setcsr(saved_); }
  DefaultFloatEnvironment(const DefaultFloatEnvironment&) = delete;
  DefaultFloatEnvironment& operator=(const DefaultFloatEnvironment&) = delete;

 private:
  // Every exception masked, round to nearest, no flush-to-zero, no denormals-are-zero.
  static constexpr unsigned int kDefault = 0x1F80;
  unsigned int saved_;
};
