#include "engine/oscillators.h"

#include <cmath>
#include <cstdint>

// Every float of magnitude 2^23 or more is already a whole number; below it
// the conversion through a 32-bit integer is exact and cheap. NaN and
// infinities fail the test and pass through, so no out-of-range float is ever
// converted to an integer.
static float truncated(float x) {
  return std::fabs(x) < 8388608.0f ? static_cast<float>(static_cast<int32_t>(x)) : x;
}

float positionInCycle(float phase, float period) {
  return phase - period * truncated(phase / period);
}

// The break points belong to the later segment: every test compares a
// difference with zero.

void SquareOscillator::start(float frequency, float sampleRate) {
  period = sampleRate / frequency;
  halfPeriod = period * 0.5f;
}

float SquareOscillator::valueAt(float phase) const {
  const float t = positionInCycle(phase, period);
  return t - halfPeriod < 0.0f ? 1.0f : -1.0f;
}

void SawOscillator::start(float frequency, float sampleRate) {
  period = sampleRate / frequency;
  slope = 2.0f / period;
}

float SawOscillator::valueAt(float phase) const {
  return positionInCycle(phase, period) * slope - 1.0f;
}

void TriangleOscillator::start(float frequency, float sampleRate) {
  period = sampleRate / frequency;
  quarterPeriod = period * 0.25f;
  threeQuarterPeriod = period * 0.75f;
  slope = 4.0f / period;
}

float TriangleOscillator::valueAt(float phase) const {
  const float t = positionInCycle(phase, period);
  if (t - quarterPeriod < 0.0f) return t * slope;
  if (t - threeQuarterPeriod < 0.0f) return 2.0f - t * slope;
  return t * slope - 4.0f;
}
