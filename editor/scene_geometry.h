// Where things stand in the editor's picture. The scene is seen straight on
// through a tight perspective: the panel lies at depth 19.9 and the knobs
// stand on it between depths 19.1 and 20, so the near and far planes bracket
// everything that is drawn.
#pragma once

#include "engine/parameters.h"

constexpr int kEditorWidth = 300;   // window pixels
constexpr int kEditorHeight = 200;

// Perspective view: half-extents of the near plane and the two clip depths.
constexpr double kFrustumHalfWidth = 5.32;
constexpr double kFrustumHalfHeight = 4.0;
constexpr double kNearDepth = 19.0;
constexpr double kFarDepth = 20.0;

// The textured panel: half-extents and its depth in front of the eye.
constexpr double kPanelHalfWidth = 5.6;
constexpr double kPanelHalfHeight = 4.21;
constexpr double kPanelDepth = 19.9;

// Every knob's base stands at this depth; its lowest 0.1 hides behind the panel.
constexpr double kKnobDepth = 20.0;

constexpr int kKnobCount = 8;

struct KnobPlacement {
  int parameter;  // the parameter the knob sets
  double x;       // centre on the panel, in scene units
  double y;
};

// Knob order: the upper row left to right (waveform, then the filter), then
// the envelope in the lower row. The rows' heights are the single-precision
// numbers 0.6 and -1.4 widened to double.
constexpr KnobPlacement kKnobLayout[kKnobCount] = {
    {waveform, -3.0, static_cast<double>(0.6f)},     {cutoff, 1.0, static_cast<double>(0.6f)},
    {damping, 3.0, static_cast<double>(0.6f)},       {attackTime, -4.0, static_cast<double>(-1.4f)},
    {peakLevel, -2.0, static_cast<double>(-1.4f)},   {decayTime, 0.0, static_cast<double>(-1.4f)},
    {sustainLevel, 2.0, static_cast<double>(-1.4f)}, {releaseTime, 4.0, static_cast<double>(-1.4f)},
};
