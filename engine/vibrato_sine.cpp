#include "engine/vibrato_sine.h"

#include <cmath>

#include "engine/portable_math.h"

VibratoSine::VibratoSine(VectorPath path)
    : sinesOfSpan(path == VectorPath::Avx2 ? vibratoSinesAvx2 : vibratoSinesSse2) {}

double VibratoSine::argument(double counter, float rate) {
  return counter * kVibratoRadiansPerSecond / static_cast<double>(rate);
}

VibratoSine::Angle VibratoSine::angleAt(double counter, float rate) {
  const double x = argument(counter, rate);
  return {portableSin(x), portableCos(x)};
}

double VibratoSine::combine(const Angle& anchor, const Angle& offset, double error) {
  const double sum = anchor.sine * offset.cosine + anchor.cosine * offset.sine;
  const double slope = anchor.cosine * offset.cosine - anchor.sine * offset.sine;
  return sum + error * slope;
}

double VibratoSine::at(double counter, float rate) {
  const double anchor = std::floor(counter / kAnchorSpacing) * kAnchorSpacing;
  const double offset = counter - anchor;
  const double error = (argument(counter, rate) - argument(anchor, rate)) - argument(offset, rate);
  return combine(angleAt(anchor, rate), angleAt(offset, rate), error);
}

void VibratoSine::fill(double firstCounter, float rate, int count, double* sines) {
  if (rate != tableRate) {
    for (int i = 0; i < kAnchorSpacing; ++i) {
      const Angle offset = angleAt(i, rate);
      offsetArguments[i] = argument(i, rate);
      offsetSines[i] = offset.sine;
      offsetCosines[i] = offset.cosine;
    }
    tableRate = rate;
    lastAnchor = -1.0;
  }
  double anchor = std::floor(firstCounter / kAnchorSpacing) * kAnchorSpacing;
  int first = static_cast<int>(firstCounter - anchor);
  while (count > 0) {
    if (anchor != lastAnchor) {
      lastAnchorAngle = angleAt(anchor, rate);
      lastAnchor = anchor;
    }
    const int end = first + count < kAnchorSpacing ? first + count : kAnchorSpacing;
    sinesOfSpan({anchor, argument(anchor, rate), lastAnchorAngle.sine, lastAnchorAngle.cosine, rate, offsetArguments,
                 offsetSines, offsetCosines, first, end},
                sines);
    sines += end - first;
    count -= end - first;
    anchor += kAnchorSpacing;
    first = 0;
  }
}
