// The three waveforms a voice can play. An oscillator stores what it derived
// from the note's frequency when the note started and maps a phase, counted
// in samples, to a value between -1 and +1. There is no band-limiting: each
// waveform is computed exactly from the phase.
//
// An oscillator that was never started behaves as one started at one cycle
// per sample (period 1): finite values, so a voice switched to it before its
// first note on that waveform never produces garbage.
#pragma once

class Oscillator {
 public:
  virtual ~Oscillator() = default;
  // Derives the cycle from a note's frequency and the sample rate, both in Hz.
  virtual void start(float frequency, float sampleRate) = 0;
  // The waveform value at a phase (samples, never negative) of any size.
  virtual float valueAt(float phase) const = 0;
};

// The position within the cycle: phase - period * trunc(phase / period),
// computed in single precision.
float positionInCycle(float phase, float period);

class SquareOscillator : public Oscillator {
 public:
  void start(float frequency, float sampleRate) override;
  float valueAt(float phase) const override;

  float halfPeriod = 0.5f;
  float period = 1.0f;
};

class SawOscillator : public Oscillator {
 public:
  void start(float frequency, float sampleRate) override;
  float valueAt(float phase) const override;

  float slope = 2.0f;
  float period = 1.0f;
};

class TriangleOscillator : public Oscillator {
 public:
  void start(float frequency, float sampleRate) override;
  float valueAt(float phase) const override;

  float slope = 4.0f;
  float quarterPeriod = 0.25f;
  float threeQuarterPeriod = 0.75f;
  float period = 1.0f;
};
