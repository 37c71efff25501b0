#include "engine/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "tests/engine/reference_sine.h"

namespace {

double worstError(double (*function)(double), double (*reference)(double), double range,
                  std::mt19937_64& random, int count) {
  std::uniform_real_distribution<double> argument(-range, range);
  double worst = 0.0;
  for (int i = 0; i < count; ++i) {
    const double x = argument(random);
    worst = std::max(worst, ulpsApart(function(x), reference(x)));
  }
  return worst;
}

double worstSineError(double range, std::mt19937_64& random, int count) {
  return worstError(portableSin, referenceSin, range, random, count);
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

// The cosine shares the sine's reduction and kernels, a quarter turn on.
TEST(PortableMath, CosineIsWithinOneUlpUpToAHundredMillionRadians) {
  std::mt19937_64 random(2025);
  EXPECT_LE(worstError(portableCos, referenceCos, 1.0, random, 100000), 1.0);
  EXPECT_LE(worstError(portableCos, referenceCos, 1e3, random, 100000), 1.0);
  EXPECT_LE(worstError(portableCos, referenceCos, 1e8, random, 200000), 1.0);
  EXPECT_EQ(portableCos(0.0), 1.0);
  EXPECT_EQ(portableCos(kPortableSinRange), 0.0);
  EXPECT_TRUE(std::isnan(portableCos(NAN)));
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
