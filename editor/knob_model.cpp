#include "editor/knob_model.h"

#include <cmath>

namespace {

struct ProfilePoint {
  double radius;
  double height;
};

// A flat centre disc out to 0.4, a 45-degree bevel up to a flat rim between
// 0.5 and 0.6, and a skirt falling to radius 0.7 at the base.
constexpr ProfilePoint kProfile[KnobBody::kProfilePoints] = {
    {0.0, 0.8}, {0.4, 0.8}, {0.5, 0.9}, {0.6, 0.9}, {0.7, 0.0}};

constexpr double kDegreesPerSegment = 22.5;
constexpr double kPi = 3.14159265358979323846;

double roundToSixDecimals(double value) { return std::round(value * 1e6) / 1e6; }

// The unit normal of the plane through a quad's first three corners A, B, C:
// (B - A) x (C - B). The corners run counter-clockwise seen from outside, so
// it points out of the knob.
void quadNormal(const double a[3], const double b[3], const double c[3], double normal[3]) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
  const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int i = 0; i < 3; ++i) normal[i] = roundToSixDecimals(n[i] / length);
}

KnobBody buildKnobBody() {
  KnobBody body{};
  for (int ring = 0; ring <= KnobBody::kSegments; ++ring) {
    const double theta = ring * kDegreesPerSegment * kPi / 180.0;
    for (int k = 0; k < KnobBody::kProfilePoints; ++k) {
      double* vertex = body.vertices[ring * KnobBody::kProfilePoints + k];
      vertex[0] = roundToSixDecimals(kProfile[k].radius * std::cos(theta));
      vertex[1] = roundToSixDecimals(kProfile[k].radius * std::sin(theta));
      vertex[2] = kProfile[k].height;
    }
  }
  // Segment by segment, band by band; band 0 is a triangle whose first and
  // last corners are the same axis point.
  for (int segment = 0; segment < KnobBody::kSegments; ++segment) {
    for (int band = 0; band < KnobBody::kProfilePoints - 1; ++band) {
      const int quad = segment * (KnobBody::kProfilePoints - 1) + band;
      const int here = segment * KnobBody::kProfilePoints + band;
      const int next = here + KnobBody::kProfilePoints;
      body.quads[quad][0] = here;
      body.quads[quad][1] = here + 1;
      body.quads[quad][2] = next + 1;
      body.quads[quad][3] = next;
      quadNormal(body.vertices[here], body.vertices[here + 1], body.vertices[next + 1], body.normals[quad]);
    }
  }
  return body;
}

}  // namespace

const KnobBody& knobBody() {
  static const KnobBody body = buildKnobBody();
  return body;
}

// A box 0.2 wide along +y from the axis: its top at height 0.6 reaches radius
// 0.8, past the skirt (about 0.633 there), and its outer end slopes out to 0.9
// at the base.
const PointerFin pointerFin = {
    {{-0.1, 0.8, 0.6}, {-0.1, 0.0, 0.6}, {0.1, 0.0, 0.6}, {0.1, 0.8, 0.6},
     {-0.1, 0.9, 0.0}, {-0.1, 0.0, 0.0}, {0.1, 0.0, 0.0}, {0.1, 0.9, 0.0}},
    {{0, 1, 2, 3}, {4, 0, 3, 7}, {7, 3, 2, 6}, {6, 2, 1, 5}, {5, 1, 0, 4}, {7, 6, 5, 4}},
    {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, -1, 0}, {-1, 0, 0}, {0, 0, -1}},
};
