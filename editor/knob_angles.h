// The eight knobs' rotations: the state the editor draws and the mouse turns.
#pragma once

#include <array>

// Knob order: waveform, cutoff, damping, attackTime, peakLevel, decayTime,
// sustainLevel, releaseTime.
using KnobValues = std::array<double, 8>;

class KnobAngles {
 public:
  /// A knob's rotation in degrees, by parameter number: 0 points straight up,
  /// positive turns counter-clockwise as the user sees it.
  double angle(int parameter) const { return angles[parameter]; }
  void setAngle(int parameter, double angle) { angles[parameter] = angle; }
  /// Turns every knob to a program's values (knob order): 0.5 stands straight
  /// up, and values outside 0..1 turn past the usual range.
  void turnTo(const KnobValues& values);

 private:
  // Indexed by parameter number, not knob position.
  double angles[8] = {};
};
