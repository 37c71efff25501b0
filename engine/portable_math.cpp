#include "engine/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// A value carried as the unevaluated sum hi + lo.
struct Pair {
  double hi, lo;
};

// a + b exactly.
Pair twoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  const double aPart = sum - bPart;
  return {sum, (a - aPart) + (b - bPart)};
}

// Splits a into two halves of at most 26 significant bits each.
Pair split(double a) {
  const double scaled = 134217729.0 * a;  // 2^27 + 1
  const double hi = scaled - (scaled - a);
  return {hi, a - hi};
}

// a * b exactly, without a fused multiply-add.
Pair twoProduct(double a, double b) {
  const double product = a * b;
  const Pair as = split(a);
  const Pair bs = split(b);
  const double error =
      ((as.hi * bs.hi - product) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
  return {product, error};
}

// pi/2 as the sum of three doubles (159 bits), and 2/pi.
constexpr double kHalfPi1 = 0x1.921fb54442d18p+0;
constexpr double kHalfPi2 = 0x1.1a62633145c07p-54;
constexpr double kHalfPi3 = -0x1.f1976b7ed8fbcp-110;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// Adding and then subtracting 1.5 * 2^52 rounds a double below 2^51 to the
// nearest integer, which then sits in the low bits of the sum.
constexpr double kRoundingShift = 0x1.8p52;

// Minimax polynomials for sine and cosine on [-pi/4, pi/4] (the well-known
// fdlibm coefficients), taking the reduced argument as x + y.
constexpr double kSin1 = -0x1.5555555555549p-3;
constexpr double kSin2 = 0x1.111111110f8a6p-7;
constexpr double kSin3 = -0x1.a01a019c161d5p-13;
constexpr double kSin4 = 0x1.71de357b1fe7dp-19;
constexpr double kSin5 = -0x1.ae5e68a2b9cebp-26;
constexpr double kSin6 = 0x1.5d93a5acfd57cp-33;

constexpr double kCos1 = 0x1.555555555554cp-5;
constexpr double kCos2 = -0x1.6c16c16c15177p-10;
constexpr double kCos3 = 0x1.a01a019cb1590p-16;
constexpr double kCos4 = -0x1.27e4f809c52adp-22;
constexpr double kCos5 = 0x1.1ee9ebdb4b1c4p-29;
constexpr double kCos6 = -0x1.8fae9be8838d4p-37;

double sinKernel(double x, double y) {
  const double z = x * x;
  const double v = z * x;
  const double r = kSin2 + z * (kSin3 + z * (kSin4 + z * (kSin5 + z * kSin6)));
  return x - ((z * (0.5 * y - v * r) - y) - v * kSin1);
}

double cosKernel(double x, double y) {
  const double z = x * x;
  const double w = z * z;
  const double r = z * (kCos1 + z * (kCos2 + z * kCos3)) + w * w * (kCos4 + z * (kCos5 + z * kCos6));
  const double halfZ = 0.5 * z;
  const double v = 1.0 - halfZ;
  return v + (((1.0 - v) - halfZ) + (z * r - x * y));
}

// ln 2 cut after 29 bits, so that its product with a float is exact, and the
// rest of ln 2.
constexpr double kLn2High = 0x1.62e42fep-1;
constexpr double kLn2Low = 0x1.f473de6af278fp-30;

// Rational approximation of e^r on |r| <= ln(2)/2 (fdlibm's coefficients).
constexpr double kExp1 = 0x1.555555555553ep-3;
constexpr double kExp2 = -0x1.6c16c16bebd93p-9;
constexpr double kExp3 = 0x1.1566aaf25de2cp-14;
constexpr double kExp4 = -0x1.bbd41c5d26bf1p-20;
constexpr double kExp5 = 0x1.6376972bea4d0p-25;

// x = k * pi/2 + r, with r carried as a pair and |r| about pi/4 at most, and
// k's last two bits: the quarter turn that x falls in. For |x| below
// kPortableSinRange.
struct Reduced {
  unsigned quadrant;
  Pair r;
};

Reduced reduced(double x) {
  const double shifted = x * kTwoOverPi + kRoundingShift;
  const double k = shifted - kRoundingShift;
  uint64_t shiftedBits;
  std::memcpy(&shiftedBits, &shifted, sizeof shiftedBits);

  const Pair first = twoProduct(k, kHalfPi1);
  const double nearFirst = x - first.hi;  // exact: the two lie close together
  const Pair second = twoProduct(k, kHalfPi2);
  const Pair partial = twoSum(nearFirst, -first.lo);
  const Pair rest = twoSum(partial.hi, -second.hi);
  const double tail = ((partial.lo + rest.lo) - second.lo) - k * kHalfPi3;
  return {static_cast<unsigned>(shiftedBits) & 3u, twoSum(rest.hi, tail)};
}

// The sine of a reduced argument shifted on by `turns` quarter turns.
double sineOf(Reduced x, unsigned turns) {
  const Pair& r = x.r;
  switch ((x.quadrant + turns) & 3u) {
    case 0: return sinKernel(r.hi, r.lo);
    case 1: return cosKernel(r.hi, r.lo);
    case 2: return -sinKernel(r.hi, r.lo);
    default: return -cosKernel(r.hi, r.lo);
  }
}

}  // namespace

double portableSin(double x) {
  if (!(std::fabs(x) < kPortableSinRange)) return std::isfinite(x) ? 0.0 : x - x;
  // Below 2^-26, x - x^3/6 rounds to x itself (which also keeps the sign of -0).
  if (std::fabs(x) < 0x1p-26) return x;
  return sineOf(reduced(x), 0);
}

double portableCos(double x) {
  if (!(std::fabs(x) < kPortableSinRange)) return std::isfinite(x) ? 0.0 : x - x;
  return sineOf(reduced(x), 1);
}

double portableExp2(double x) {
  // 2^x = e^(hi - lo) with hi - lo = x * ln 2.
  const double hi = x * kLn2High;
  const double lo = -(x * kLn2Low);
  const double r = hi - lo;
  const double t = r * r;
  const double c = r - t * (kExp1 + t * (kExp2 + t * (kExp3 + t * (kExp4 + t * kExp5))));
  return 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
}
