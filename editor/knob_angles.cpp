#include "editor/knob_angles.h"

#include "editor/scene_geometry.h"

namespace {

// A value of 0.5 stands straight up; 0 and 1 turn the knob 120 degrees either way.
constexpr double kDegreesPerValue = -240.0;

double angleOf(double value) { return (value - 0.5) * kDegreesPerValue; }

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
