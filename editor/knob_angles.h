// The eight knobs' rotations: the state the editor draws and the mouse turns,
// and the one editor state a program change reaches from another thread.
//
// A host may apply a program on any thread while its interface thread paints
// or drags. Each angle is therefore an atomic double (relaxed: the angles are
// independent values, and an atomic holds the very bits stored), and a turn
// from turnTo raises a flag that the interface thread takes before it draws,
// so the repaint it asks for shows at least the angles stored before the flag.
#pragma once

#include <array>
#include <atomic>

// Knob order: waveform, cutoff, damping, attackTime, peakLevel, decayTime,
// sustainLevel, releaseTime.
using KnobValues = std::array<double, 8>;

class KnobAngles {
 public:
  /// A knob's rotation in degrees, by parameter number: 0 points straight up,
  /// positive turns counter-clockwise as the user sees it.
  double angle(int parameter) const { return angles[parameter].load(std::memory_order_relaxed); }
  /// The mouse's turn, on the interface thread, which repaints by itself.
  void setAngle(int parameter, double angle) { angles[parameter].store(angle, std::memory_order_relaxed); }
  /// Turns every knob to a program's values (knob order), from any thread:
  /// 0.5 stands straight up, and values outside 0..1 turn past the usual
  /// range. Then marks the knobs as waiting to be drawn.
  void turnTo(const KnobValues& values);
  /// Turns one knob, by parameter number, to a value as turnTo does, and
  /// marks the knobs as waiting to be drawn.
  void turnKnob(int parameter, double value);
  /// The value a knob shows, by parameter number: the inverse of turnTo, so
  /// a knob turned to a float value gives that very value back; -120
  /// degrees give 1. (The VST 2 editor sends knobValue's instead.)
  float value(int parameter) const;
  /// On the interface thread: whether turnTo has turned the knobs since the
  /// last call; the mark is cleared.
  bool takeTurn() { return turned.exchange(false, std::memory_order_acquire); }

 private:
  // Indexed by parameter number, not knob position.
  std::atomic<double> angles[8] = {};
  std::atomic<bool> turned{false};
};
