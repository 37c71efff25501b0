#include "editor/mouse_editing.h"

#include <cstdint>

#include "editor/knob_angles.h"
#include "editor/knob_listener.h"

const KnobHotspot knobHotspots[kKnobCount] = {
    {67, 85}, {177, 85}, {233, 85}, {32, 135}, {93, 135}, {149, 135}, {205, 135}, {264, 135},
};

namespace {

// A press counts when it lies less than this many pixels from a hotspot on both axes.
constexpr int kHitReach = 20;
// The knob turns from +120 degrees (value 0) to -120 (value 1 and a little less).
constexpr double kAngleLimit = 120.0;
constexpr int32_t kWholeAngleLimit = 120;
// Value per degree of turn: a single-precision 0.00416, so 240 degrees make
// 0.9984 rather than 1.
constexpr float kValuePerDegree = 0.00416f;

int32_t dragKnob = 0;
int32_t dragging = 0;
int32_t dragAnchorX = 0;

// The angle truncated toward zero to whole degrees. A host's value far
// outside 0..1 can turn a knob beyond any integer: such an angle is limited
// first, which changes no result (a drag clamps to 120 degrees and no
// movement spans more than 65,536 pixels), and a NaN counts as 0.
int32_t wholeDegrees(double angle) {
  constexpr double kLimit = 1e6;
  if (!(angle == angle)) return 0;
  if (angle > kLimit) return static_cast<int32_t>(kLimit);
  if (angle < -kLimit) return -static_cast<int32_t>(kLimit);
  return static_cast<int32_t>(angle);
}

}  // namespace

int hitKnob(int x, int y) {
  for (int knob = 0; knob < kKnobCount; ++knob) {
    const KnobHotspot& spot = knobHotspots[knob];
    if (spot.x - kHitReach < x && x < spot.x + kHitReach && spot.y - kHitReach < y && y < spot.y + kHitReach) {
      return knob;
    }
  }
  return kNoKnob;
}

float knobValue(double angle) {
  return static_cast<float>((kAngleLimit - angle) * static_cast<double>(kValuePerDegree));
}

// A press beside the knobs also ends any drag whose button-up never came
// (the capture was lost), so no later move turns a knob that is not held.
void pressLeftButton(const KnobAngles& knobs, platform::WindowHandle window, int x, int y) {
  dragAnchorX = x;
  dragKnob = hitKnob(x, y);
  if (dragKnob == kNoKnob) {
    dragging = 0;
    return;
  }
  dragging = 1;
  platform::setCapture(window);
  dragAnchorX = x + wholeDegrees(knobs.angle(kKnobLayout[dragKnob].parameter));
}

// Only sideways movement counts: a pixel to the left is a degree counter-clockwise.
void moveMouse(KnobAngles& knobs, platform::WindowHandle window, int x) {
  if (!dragging) {
    platform::setCursor(window, platform::MouseCursor::arrow);
    return;
  }
  platform::setCursor(window, platform::MouseCursor::cross);
  int32_t angle = dragAnchorX - x;
  if (angle < -kWholeAngleLimit) angle = -kWholeAngleLimit;
  if (angle > kWholeAngleLimit) angle = kWholeAngleLimit;
  knobs.setAngle(kKnobLayout[dragKnob].parameter, angle);
  platform::invalidateWindow(window);
}

// The owner hears of every release, whatever the press hit; the sound
// changes, if at all, only now.
void releaseLeftButton(KnobListener& owner, const KnobAngles& knobs, platform::WindowHandle window) {
  owner.knobsReleased(knobs, dragging ? kKnobLayout[dragKnob].parameter : kNoHeldParameter);
  platform::setCursor(window, platform::MouseCursor::arrow);
  platform::releaseCapture();
  dragging = 0;
}
