// The vibrato's sine, sin(counter * 125.6 / rate) for a whole-number tick
// counter, computed so that a run of consecutive counters costs a few
// multiplications each instead of a full sine.
//
// The counter is split into an anchor, the multiple of 256 at or below it,
// and an offset of 0..255. With x the argument at the counter, a the argument
// at the anchor and t the argument at the offset (each computed as
// n * 125.6 / rate, exactly like x), the sine is
//     sin(a + t + e) = (sin a cos t + cos a sin t) + e (cos a cos t - sin a sin t)
// where e = (x - a) - t is the tiny rounding difference between the two ways
// of reaching x; both subtractions are exact. sin a and cos a change every 256
// ticks, sin t and cos t only with the rate, so a run needs two full sines per
// 256 ticks. The result lies within 6e-16 of the true sine (a few roundings of
// values within an ulp): the vibrato adds it to 1 and scales it by at most
// 0.0254 before it reaches the phase, so it is as good there as the library's
// sine.
//
// at() and fill() compute every value by the same operations in the same
// order, so a voice ticked on its own and voices ticked together hear the very
// same vibrato; fill() runs on the vector path it is given (vector_path.h),
// all of which compute the same.
#pragma once

#include "engine/vector_path.h"
#include "engine/vibrato_kernel.h"

class VibratoSine {
 public:
  static constexpr int kAnchorSpacing = 256;

  explicit VibratoSine(VectorPath path = VectorPath::Sse2);

  // The sine at one counter value.
  static double at(double counter, float rate);

  // The sines at `count` consecutive counters starting at `firstCounter`,
  // each equal to at(). Recomputes its table of offsets when the rate changes.
  void fill(double firstCounter, float rate, int count, double* sines);

 private:
  struct Angle {
    double sine, cosine;
  };
  static double argument(double counter, float rate);
  static Angle angleAt(double counter, float rate);
  static double combine(const Angle& anchor, const Angle& offset, double error);

  void (*sinesOfSpan)(const VibratoSpan&, double*);
  // The arguments, sines and cosines of the offsets 0..255 at tableRate.
  float tableRate = 0.0f;  // no table yet
  double offsetArguments[kAnchorSpacing];
  double offsetSines[kAnchorSpacing];
  double offsetCosines[kAnchorSpacing];
  // The anchor most recently used and its angle: runs seldom end on an anchor.
  double lastAnchor = -1.0;
  Angle lastAnchorAngle{0.0, 1.0};
};
