// Where a time falls on the frame grid of a rate: the nearest frame, halves
// rounded up. quorlin-host reads times in seconds with at most nine decimals,
// so to the nanosecond, and counts frames from those exactly; a renderer
// given seconds as a double takes them to the nanosecond first, so the same
// seconds give the same frames everywhere (0.0045 s at 1000 Hz is frame 5
// both ways, though the double nearest 0.0045 lies just below it).
#pragma once

#include <cmath>
#include <cstdint>

constexpr int64_t kNanosecondsPerSecond = 1000000000;

// floor(nanoseconds * rate / 10^9 + 1/2), exactly, for nanoseconds >= 0.
inline int64_t framesOfNanoseconds(int64_t nanoseconds, int32_t rate) {
  // Whole seconds apart, so that no product overflows.
  const int64_t whole = nanoseconds / kNanosecondsPerSecond;
  const int64_t rest = nanoseconds % kNanosecondsPerSecond;
  return whole * rate + (2 * rest * rate + kNanosecondsPerSecond) / (2 * kNanosecondsPerSecond);
}

// For seconds from 0 to a few million years; less, or NaN, gives 0.
inline int64_t framesOfSeconds(double seconds, int32_t rate) {
  if (!(seconds > 0.0)) return 0;
  return framesOfNanoseconds(std::llround(seconds * static_cast<double>(kNanosecondsPerSecond)), rate);
}
