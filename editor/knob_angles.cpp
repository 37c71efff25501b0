#include "editor/knob_angles.h"

#include "editor/scene_geometry.h"

namespace {

// A value of 0.5 stands straight up; 0 and 1 turn the knob 120 degrees either way.
constexpr double kDegreesPerValue = -240.0;

// Exact both ways for 0 and every float from 2^-25 to 2: (v - 0.5) x -240
// then needs at most 53 bits, and dividing by -240 undoes it.
double angleOf(double value) { return (value - 0.5) * kDegreesPerValue; }
double valueOf(double angle) { return angle / kDegreesPerValue + 0.5; }

}  // namespace

void KnobAngles::turnTo(const KnobValues& values) {
  for (int knob = 0; knob < kKnobCount; ++knob) {
    angles[kKnobLayout[knob].parameter].store(angleOf(values[knob]), std::memory_order_relaxed);
  }
  turned.store(true, std::memory_order_release);
}

void KnobAngles::turnKnob(int parameter, double value) {
  angles[parameter].store(angleOf(value), std::memory_order_relaxed);
  turned.store(true, std::memory_order_release);
}

float KnobAngles::value(int parameter) const { return static_cast<float>(valueOf(angle(parameter))); }
