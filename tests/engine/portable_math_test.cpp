#include "engine/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

// ---- A slow, independent reference: the sine in double-double arithmetic.
// pi/2 is cut into 24-bit pieces so that k times a piece is exact for
// |k| < 2^29, and the reduced argument feeds Taylor series carried to
// about 2^-100. Rounded to a double, that is the correctly rounded sine for
// all practical purposes. The C library is not the reference: the sine of
// the Windows toolchain's runtime is off by thousands of ulps for large
// arguments.

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

double referenceSin(double x) {
  const double k = std::nearbyint(x / kHalfPiPieces[0]);
  DoubleDouble r{x, 0.0};
  for (double piece : kHalfPiPieces) r = add(r, DoubleDouble{-k * piece, 0.0});
  const int64_t quadrant = static_cast<int64_t>(k) & 3;
  const DoubleDouble value = taylor(r, quadrant % 2 == 0 ? 1 : 0);
  return quadrant < 2 ? value.hi : -value.hi;
}

double ulpsApart(double value, double reference) {
  const double ulp = std::nextafter(std::fabs(reference), INFINITY) - std::fabs(reference);
  return std::fabs(value - reference) / ulp;
}

double worstSineError(double range, std::mt19937_64& random, int count) {
  std::uniform_real_distribution<double> argument(-range, range);
  double worst = 0.0;
  for (int i = 0; i < count; ++i) {
    const double x = argument(random);
    worst = std::max(worst, ulpsApart(portableSin(x), referenceSin(x)));
  }
  return worst;
}

}  // namespace

// Within 1 ulp of the correctly rounded sine: the polynomial kernels are
// good to about 0.6 ulp and the reduction adds nothing visible, so 1 ulp is
// the bound whatever way the last bit rounds. 10^6 arguments in all.
TEST(PortableMath, SineIsWithinOneUlpUpToAHundredMillionRadians) {
  std::mt19937_64 random(2024);
  EXPECT_LE(worstSineError(1.0, random, 200000), 1.0);
  EXPECT_LE(worstSineError(1e3, random, 200000), 1.0);
  EXPECT_LE(worstSineError(1e6, random, 200000), 1.0);
  EXPECT_LE(worstSineError(1e8, random, 400000), 1.0);
}

// The vibrato's own arguments: counter * 125.6 / sample rate, in the first
// minutes and after days of sound.
TEST(PortableMath, SineIsWithinOneUlpOnVibratoArguments) {
  double worst = 0.0;
  for (double start : {0.0, 16777216.0, 3.0e10}) {
    for (double counter = start; counter < start + 100000; counter += 1.0) {
      const double x = counter * 125.6 / 44100.0;
      worst = std::max(worst, ulpsApart(portableSin(x), referenceSin(x)));
    }
  }
  EXPECT_LE(worst, 1.0);
}

// Guards the reference itself: near zero every C library's sine is good.
TEST(PortableMath, ReferenceSineAgreesWithTheLibraryOnSmallArguments) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> argument(-0.7, 0.7);
  for (int i = 0; i < 10000; ++i) {
    const double x = argument(random);
    ASSERT_LE(ulpsApart(referenceSin(x), std::sin(x)), 1.0) << x;
  }
}

TEST(PortableMath, SineOfTinyArgumentsIsTheArgument) {
  EXPECT_EQ(portableSin(0.0), 0.0);
  EXPECT_TRUE(std::signbit(portableSin(-0.0)));
  EXPECT_EQ(portableSin(1e-10), 1e-10);
  EXPECT_EQ(portableSin(-3e-9), -3e-9);
}

TEST(PortableMath, SineOutsideItsRangeIsDefined) {
  EXPECT_EQ(portableSin(kPortableSinRange), 0.0);
  EXPECT_EQ(portableSin(-1e300), 0.0);
  EXPECT_TRUE(std::isnan(portableSin(INFINITY)));
  EXPECT_TRUE(std::isnan(portableSin(-INFINITY)));
  EXPECT_TRUE(std::isnan(portableSin(NAN)));
}

// Within 1 ulp of the library's pow on every target (pow near 1 is accurate
// everywhere): the 128 pitch factors the bend wheel can produce, and 10^5
// further arguments over the whole domain.
TEST(PortableMath, PowerOfTwoIsWithinOneUlpOfTheLibrary) {
  for (int value = 0; value < 128; ++value) {
    const float exponent = static_cast<float>(value - 64) * 0.0156f * 0.1666f;
    const double x = exponent;
    EXPECT_LE(ulpsApart(portableExp2(x), std::pow(2.0, x)), 1.0) << value;
  }
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> argument(-0.5, 0.5);
  double worst = 0.0;
  for (int i = 0; i < 100000; ++i) {
    const double x = argument(random);
    worst = std::max(worst, ulpsApart(portableExp2(x), std::pow(2.0, x)));
  }
  EXPECT_LE(worst, 1.0);
}

// No bend must mean a phase step of exactly 1.
TEST(PortableMath, PowerOfTwoOfZeroIsExactlyOne) { EXPECT_EQ(portableExp2(0.0), 1.0); }
