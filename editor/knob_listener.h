// What an editor window tells whoever owns it when the mouse button goes up
// over it: the knobs as they stand, and which knob the press took hold of.
// The owner decides what reaches the sound.
#pragma once

class KnobAngles;

/// What a release reports when the press took hold of no knob.
constexpr int kNoHeldParameter = -1;

class KnobListener {
 public:
  /// The left button went up. `heldParameter` is the parameter of the knob
  /// the press took hold of (turned or not), or kNoHeldParameter.
  virtual void knobsReleased(const KnobAngles& knobs, int heldParameter) = 0;

 protected:
  ~KnobListener() = default;
};
