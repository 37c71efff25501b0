#include "tests/engine/reference_sine.h"

#include <cmath>
#include <cstdint>

namespace {

struct DoubleDouble {
  double hi, lo;
};

DoubleDouble exactSum(double a, double b) {
  const double s = a + b;
  const double bPart = s - a;
  return {s, (a - (s - bPart)) + (b - bPart)};
}

DoubleDouble normalized(double hi, double lo) {
  const double s = hi + lo;
  return {s, lo - (s - hi)};
}

DoubleDouble exactProduct(double a, double b) {
  const auto split = [](double v) {
    const double c = 134217729.0 * v;
    const double hi = c - (c - v);
    return DoubleDouble{hi, v - hi};
  };
  const double p = a * b;
  const DoubleDouble x = split(a), y = split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

DoubleDouble add(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble s = exactSum(a.hi, b.hi);
  return normalized(s.hi, s.lo + a.lo + b.lo);
}

DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble p = exactProduct(a.hi, b.hi);
  return normalized(p.hi, p.lo + a.hi * b.lo + a.lo * b.hi);
}

DoubleDouble divide(DoubleDouble a, double b) {
  const double q1 = a.hi / b;
  const DoubleDouble p = exactProduct(q1, b);
  const double q2 = (((a.hi - p.hi) - p.lo) + a.lo) / b;
  return normalized(q1, q2);
}

DoubleDouble negated(DoubleDouble a) { return {-a.hi, -a.lo}; }

constexpr double kHalfPiPieces[] = {0x1.921fb4p+0,  0x1.4442d0p-24,  0x1.846988p-48,
                                    0x1.8cc516p-72, 0x1.01b838p-96,  0x1.a25204p-120,
                                    0x1.382228p-145, 0x1.9f31d0p-169};

// sum over n of sign * r^(first + 2n) / (first + 2n)!
DoubleDouble taylor(DoubleDouble r, int first) {
  const DoubleDouble r2 = multiply(r, r);
  DoubleDouble term = first == 1 ? r : DoubleDouble{1.0, 0.0};
  DoubleDouble sum = term;
  for (int n = first; std::fabs(term.hi) > 1e-40; n += 2) {
    term = negated(divide(multiply(term, r2), static_cast<double>(n + 1) * (n + 2)));
    sum = add(sum, term);
  }
  return sum;
}

// The sine of x shifted on by `turns` quarter turns.
double referenceQuarterTurns(double x, int turns) {
  const double k = std::nearbyint(x / kHalfPiPieces[0]);
  DoubleDouble r{x, 0.0};
  for (double piece : kHalfPiPieces) r = add(r, DoubleDouble{-k * piece, 0.0});
  const int64_t quadrant = (static_cast<int64_t>(k) + turns) & 3;
  const DoubleDouble value = taylor(r, quadrant % 2 == 0 ? 1 : 0);
  return quadrant < 2 ? value.hi : -value.hi;
}

}  // namespace

double referenceSin(double x) { return referenceQuarterTurns(x, 0); }

double referenceCos(double x) { return referenceQuarterTurns(x, 1); }

double ulpsApart(double value, double reference) {
  const double ulp = std::nextafter(std::fabs(reference), INFINITY) - std::fabs(reference);
  return std::fabs(value - reference) / ulp;
}
