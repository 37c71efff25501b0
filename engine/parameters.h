// The instrument's eight parameters, indexed alike by the programs, the
// engine and the editor. Values are floats, nominally 0 to 1, never clamped.
#pragma once

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
