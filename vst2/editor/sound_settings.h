// What the VST 2 editor changes when a knob is released: whatever the press
// held, every knob's value goes to the sound through these three operations.
// The instrument implements them, so the editor never depends on the
// instrument itself.
#pragma once

#include "editor/knob_listener.h"

class SoundSettings : public KnobListener {
 public:
  /// The oscillator shape (square, sawtooth or triangle by the value).
  virtual void setWaveform(float value) = 0;
  /// The low-pass filter's cutoff and damping.
  virtual void setFilter(float cutoffValue, float dampingValue) = 0;
  /// The envelope's five settings.
  virtual void setEnvelope(float attack, float peak, float decay, float sustain, float release) = 0;

  /// Sends all eight knob values (see knobValue), even after a press beside the knobs.
  void knobsReleased(const KnobAngles& knobs, int heldParameter) final;

 protected:
  ~SoundSettings() = default;
};
