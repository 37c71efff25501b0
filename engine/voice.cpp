#include "engine/voice.h"

#include <cmath>

#include "engine/note_frequencies.h"
#include "engine/parameters.h"
#include "engine/portable_math.h"
#include "engine/vibrato_sine.h"

namespace {
constexpr float kOneOver127 = 0.007874016f;  // velocity byte to 0..1
// Octaves of pitch per unit of bend: a full bend is about two semitones.
constexpr float kBendOctaves = 0.1666f;

float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }
}  // namespace

Voice::Voice() : oscillator(&triangle) {}

void Voice::selectWaveform(float value) {
  switch (waveformOf(value)) {
    case Waveform::Square: oscillator = &square; break;
    case Waveform::Saw: oscillator = &saw; break;
    case Waveform::Triangle: oscillator = &triangle; break;
  }
}

void Voice::setFilter(float cutoffValue, float dampingValue) {
  cutoff = finiteOrZero(cutoffValue);
  damping = finiteOrZero(dampingValue);
}

void Voice::setEnvelope(float attack, float peak, float decay, float sustain, float release) {
  const float rate = sampleRate;
  envelope.attackLength = rate * finiteOrZero(attack);
  envelope.peakLevel = finiteOrZero(peak);
  envelope.decayLength = rate * finiteOrZero(decay);
  envelope.sustainLevel = finiteOrZero(sustain);
  envelope.releaseLength = rate * finiteOrZero(release);
}

void Voice::startNote(int noteNumber, int velocityByte) {
  velocity = static_cast<float>(velocityByte) * kOneOver127;
  filterState2 = 0.0f;
  filterState1 = 0.0f;
  note = noteNumber;
  const float rate = sampleRate;
  const double frequency = noteFrequencies[noteNumber];
  period = static_cast<float>(static_cast<double>(rate) / frequency);
  envelope.trigger();
  oscillator->start(static_cast<float>(frequency), rate);
}

void Voice::setPitchBend(float bend) {
  pitchBend = bend;
  pitchFactor = portableExp2(static_cast<double>(bend * kBendOctaves));
}

float Voice::tick() {
  const float s = oscillator->valueAt(phase);

  // Without the mod wheel the vibrato term is exactly 0 (the sine lies in
  // -1..1), so the sine is skipped.
  const double step = modDepth == 0.0f ? pitchFactor : phaseStep(VibratoSine::at(lfoCounter, sampleRate));
  phase = static_cast<float>(static_cast<double>(phase) + step);
  lfoCounter += 1.0;
  if (phase - period > 0.0f) phase = phase - period;

  // Two leaky integrators in a loop: a state-variable low-pass whose output
  // is filterState2. A state that ran off to infinity or NaN (only extreme
  // coefficients do that) starts again from silence; when filterState2 is
  // finite so is filterState1, which feeds it.
  const float f = cutoff;
  const float h = 1.0f - damping * f;
  filterState1 = (s - filterState2) * f + h * filterState1;
  filterState2 = filterState1 * f + h * filterState2;
  if (!std::isfinite(filterState2)) {
    filterState1 = 0.0f;
    filterState2 = 0.0f;
  }

  const float e = envelope.tick();
  return e * filterState2 * velocity;
}
