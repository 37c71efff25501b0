// The instrument's eight parameters, indexed alike by the programs, the
// engine and the editor. Values are floats, nominally 0 to 1, never clamped.
#pragma once

#include <cmath>

enum ParameterIndex {
  waveform = 0,      // below 0.33 square, up to 0.66 sawtooth, above that triangle
  attackTime = 1,    // seconds
  peakLevel = 2,     // level the attack climbs to
  decayTime = 3,     // seconds
  sustainLevel = 4,  // level held while the key is down
  releaseTime = 5,   // seconds
  cutoff = 6,        // filter frequency coefficient
  damping = 7,       // filter damping coefficient: smaller is more resonant
};

constexpr int kParameterCount = 8;

enum class Waveform { Square, Saw, Triangle };

// The oscillator a waveform value selects: the value, widened to double, is
// compared with the doubles 0.33 and 0.66 (so the float nearest each already
// selects the next shape). NaN selects the triangle.
inline Waveform waveformOf(float value) {
  const double choice = value;
  if (choice < 0.33) return Waveform::Square;
  if (choice <= 0.66) return Waveform::Saw;
  return Waveform::Triangle;
}

// The finite value that a value that is not a finite number sounds as: the
// engine's setFilter and setEnvelope take such values as 0, and setWaveform's
// comparisons choose the triangle (as 1 does) for NaN and +infinity and the
// square (as 0 does) for -infinity. Finite values come back as they are, so
// a state saved with these is heard the same once read back.
inline float finiteEquivalent(ParameterIndex parameter, float value) {
  if (std::isfinite(value)) return value;
  if (parameter != waveform) return 0.0f;
  return value < 0.0f ? 0.0f : 1.0f;
}
