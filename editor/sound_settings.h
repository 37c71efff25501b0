// What the editor changes when a knob is released. The editor knows the
// sound only through these three operations; the instrument implements them,
// so the editor never depends on the instrument itself.
#pragma once

class SoundSettings {
 public:
  /// The oscillator shape (square, sawtooth or triangle by the value).
  virtual void setWaveform(float value) = 0;
  /// The low-pass filter's cutoff and damping.
  virtual void setFilter(float cutoffValue, float dampingValue) = 0;
  /// The envelope's five settings.
  virtual void setEnvelope(float attack, float peak, float decay, float sustain, float release) = 0;

 protected:
  ~SoundSettings() = default;
};
