// Turning knobs with the mouse: a press hit-tests the knobs, sideways
// movement turns the pressed one a degree per pixel, and the button's release
// is reported to the window's owner. One drag exists at a time in
// the whole process, since only one window can hold the mouse.
#pragma once

#include "editor/scene_geometry.h"
#include "platform/window_system.h"

class KnobAngles;
class KnobListener;

/// What a press beside all knobs leaves as the dragged knob.
constexpr int kNoKnob = kKnobCount;

struct KnobHotspot {
  int x;  // window pixels from the top left; fixed for the 300 by 200 window
  int y;
};
extern const KnobHotspot knobHotspots[kKnobCount];

/// The knob whose 39 by 39 pixel square holds (x, y), or kNoKnob.
int hitKnob(int x, int y);
/// A knob angle as a parameter value: +120 degrees give 0, -120 give 0.9984.
float knobValue(double angle);

void pressLeftButton(const KnobAngles& knobs, platform::WindowHandle window, int x, int y);
void moveMouse(KnobAngles& knobs, platform::WindowHandle window, int x);
/// Tells the window's owner which knob the press held, then ends the drag.
void releaseLeftButton(KnobListener& owner, const KnobAngles& knobs, platform::WindowHandle window);
