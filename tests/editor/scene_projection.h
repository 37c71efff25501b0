// Where the editor's scene lands in its 300 by 200 window, worked out from the
// view it is drawn with: a frustum of half-width 5.32 and half-height 4 at the
// near depth 19, the panel (half 5.6 by 4.21) at depth 19.9, knobs standing at
// depth 20. Used to predict pixels independently of the drawing code.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "x_session.h"

struct WindowPoint {
  double x, y;  // window pixels, continuous: the pixel (i, j) covers [i, i+1) x [j, j+1)
};

// A point in eye coordinates (depth z negative) as the window shows it.
inline WindowPoint projectToWindow(double x, double y, double z) {
  const double ndcX = x * 19.0 / -z / 5.32;
  const double ndcY = y * 19.0 / -z / 4.0;
  return {(ndcX + 1.0) * 150.0, (1.0 - ndcY) * 100.0};
}

struct KnobSpot {
  double x, y;  // knob centre on the panel, in scene units
};

// The knobs' places, in knob order (waveform, cutoff, damping, then the envelope).
constexpr KnobSpot kKnobSpots[8] = {{-3, 0.6}, {1, 0.6}, {3, 0.6}, {-4, -1.4}, {-2, -1.4}, {0, -1.4}, {2, -1.4}, {4, -1.4}};
constexpr int kParameterOfKnob[8] = {0, 6, 7, 1, 2, 3, 4, 5};

// The window pixel showing a point on a knob's pointer fin: `reach` out from
// the knob's axis along the fin, on its top face (0.6 above the knob's base).
inline WindowPoint finTopPixel(int knob, double angleDegrees, double reach) {
  const double radians = angleDegrees * 3.14159265358979323846 / 180.0;
  const KnobSpot spot = kKnobSpots[knob];
  return projectToWindow(spot.x - reach * std::sin(radians), spot.y + reach * std::cos(radians), -20.0 + 0.6);
}

// The texel the window pixel (px, py) samples: the ray through the pixel's
// centre meets the panel at depth 19.9.
inline int sampledTexelColumn(int px) {
  const double panelX = ((px + 0.5) / 150.0 - 1.0) * 5.32 * 19.9 / 19.0;
  return static_cast<int>(std::floor((panelX + 5.6) / 11.2 * 512.0));
}
inline int sampledTexelRow(int py) {
  const double panelY = (1.0 - (py + 0.5) / 100.0) * 4.0 * 19.9 / 19.0;
  return static_cast<int>(std::floor((4.21 - panelY) / 8.42 * 512.0));
}

// The panel is lit by a point light one unit in front of the eye, computed at
// its corners and spread evenly: ambient 0.2 x 0.2 plus the diffuse term
// 18.9 / |(5.6, 4.21, 18.9)|, the same at all four corners.
inline double panelLighting() { return 0.04 + 18.9 / std::sqrt(5.6 * 5.6 + 4.21 * 4.21 + 18.9 * 18.9); }

inline Rgb litTexel(const std::vector<uint8_t>& panel, int column, int row) {
  const uint8_t* p = &panel[(static_cast<size_t>(row) * 512 + column) * 3];
  const double light = panelLighting();
  return {static_cast<int>(p[0] * light + 0.5), static_cast<int>(p[1] * light + 0.5),
          static_cast<int>(p[2] * light + 0.5)};
}

inline bool closeTo(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
         std::abs(a.blue - b.blue) <= tolerance;
}

/// The fin's top faces the light squarely: full red, brighter than any lit
/// panel texel (at most 249), plus the grey ambient term 0.2 x 0.2 of 255 in
/// green and blue, which the textured panel (modulated by pure red) lacks.
inline bool isFinRed(Rgb colour) {
  return colour.red >= 253 && std::abs(colour.green - 10) <= 1 && std::abs(colour.blue - 10) <= 1;
}

/// The committed panel texture, as the module carries it.
std::vector<uint8_t> committedPanel();
