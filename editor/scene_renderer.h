// The editor's picture, drawn anew on every paint: eight red knobs turned to
// their angles, standing on the textured panel.
#pragma once

class KnobAngles;

/// Draws the whole picture into the current context's back buffer and waits for it.
void renderScene(const KnobAngles& knobs);
/// One knob placed at (x, y, z) and turned by angle degrees, counter-clockwise as seen.
void drawKnob(double x, double y, double z, double angle);
/// The knob's body and fin at the origin of the current matrix.
void drawKnobMesh();
