// Everything one sounding note needs: a phase accumulator driven by pitch
// bend and vibrato, three oscillators of which one is selected, a two-pole
// resonant low-pass filter, an amplitude envelope and the note's velocity.
//
// The renderer starts and releases voices and writes the controller fields;
// parameter application writes the waveform choice, the filter coefficients,
// the sample rate and the envelope settings, possibly from another thread
// while the voice plays, so those are Relaxed (relaxed.h). A voice is free
// exactly when its envelope is Idle; it is ticked (and its phase, vibrato and
// filter move) whenever any voice sounds.
#pragma once

#include <cstdint>

#include "engine/envelope.h"
#include "engine/oscillators.h"
#include "engine/relaxed.h"

class Voice {
 public:
  static constexpr float kDefaultSampleRate = 44100.0f;

  Voice();
  Voice(const Voice&) = delete;  // `oscillator` points into the voice itself
  Voice& operator=(const Voice&) = delete;

  // Starts note `note` (0..127) with the velocity byte `velocityByte`. The
  // phase and the vibrato carry on from where the voice is.
  void startNote(int note, int velocityByte);
  void releaseNote() { envelope.release(); }
  // Stores the bend and the pitch factor 2^(bend * 0.1666) it gives, so that
  // the power is computed once per bend message rather than per sample.
  void setPitchBend(float bend);
  bool isFree() const { return envelope.state == Envelope::Idle; }

  // This voice's share of parameter application (the engine applies each to
  // all eight). The values are not clamped; one that is not a finite number
  // is taken as 0 by setFilter and setEnvelope.
  // Selects the oscillator waveformOf names; it is not started, so a
  // sounding voice plays on at the period that oscillator last had.
  void selectWaveform(float value);
  void setFilter(float cutoffValue, float dampingValue);
  // Times in seconds, turned into samples at the voice's current rate; the
  // steps follow at the next trigger or release.
  void setEnvelope(float attack, float peak, float decay, float sustain, float release);

  // Advances one sample and returns the voice's output.
  float tick();
  // The phase step of a tick whose vibrato sine is `vibratoSine`: the
  // vibrato, (1 + sine) * depth, plus the pitch factor.
  double phaseStep(double vibratoSine) const {
    return (1.0 + vibratoSine) * static_cast<double>(modDepth) + pitchFactor;
  }

  int32_t note = 0;
  float period = 0.0f;  // samples per cycle of the note
  float phase = 0.0f;   // position in the cycle, samples
  float filterState1 = 0.0f;
  float filterState2 = 0.0f;  // the filter's output
  Relaxed<float> sampleRate = kDefaultSampleRate;
  float velocity = 0.0f;
  float pitchBend = 0.0f;  // -0.9984 .. +0.9828; written through setPitchBend
  double pitchFactor = 1.0;  // 2^(pitchBend * 0.1666); written through setPitchBend
  // Ticks since construction. A double counts every tick exactly for longer
  // than anything can play, so the vibrato never freezes; for the first 2^24
  // ticks it holds the same numbers a float would.
  double lfoCounter = 0.0;
  float modDepth = 0.0f;  // vibrato depth, 0 .. 0.0254
  Relaxed<float> cutoff = 0.0f;   // filter frequency coefficient
  Relaxed<float> damping = 0.0f;  // filter damping; smaller is more resonant
  Envelope envelope;
  Relaxed<Oscillator*> oscillator;  // one of the three below
  SquareOscillator square;
  SawOscillator saw;
  TriangleOscillator triangle;
};
