// Flushes denormal results and inputs to zero for as long as it lives, then
// restores the caller's floating-point control word.
//
// A decaying filter passes through denormal numbers, which most processors
// handle many times slower than normal ones; with both bits set the cost of a
// block no longer depends on what the filters hold. Anything that must match
// the engine bit for bit (the reference model in the tests) renders under the
// same guard.
#pragma once

#include <xmmintrin.h>

class DenormalGuard {
 public:
  DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
  ~DenormalGuard() { _mm_setcsr(saved); }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

 private:
  static constexpr unsigned kFlushToZero = 0x8000;     // MXCSR bit 15
  static constexpr unsigned kDenormalsAreZero = 0x0040;  // MXCSR bit 6
  unsigned saved;
};
