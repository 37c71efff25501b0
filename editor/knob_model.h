// The three-dimensional knob: a lit surface of revolution with a bevelled top
// (knobBody) and a small box standing out of its side that shows where it
// points (pointerFin). Modelled at the origin with the base at z = 0, the top
// towards the viewer and the fin along +y.
#pragma once

#include <cstdint>

struct KnobBody {
  static constexpr int kSegments = 16;      // slices around the axis, 22.5 degrees each
  static constexpr int kProfilePoints = 5;  // from the axis outwards
  static constexpr int kVertexCount = (kSegments + 1) * kProfilePoints;
  static constexpr int kQuadCount = kSegments * (kProfilePoints - 1);

  double vertices[kVertexCount][3];
  int32_t quads[kQuadCount][4];
  double normals[kQuadCount][3];
};

struct PointerFin {
  static constexpr int kVertexCount = 8;
  static constexpr int kQuadCount = 6;

  double vertices[kVertexCount][3];
  int32_t quads[kQuadCount][4];
  double normals[kQuadCount][3];
};

/// The body, generated once from its profile: vertices and normals rounded to six decimals.
const KnobBody& knobBody();
extern const PointerFin pointerFin;
