#include "engine/oscillators.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 44100 Hz / 441 Hz gives a period of exactly 100 samples, so every break
// point is a whole number and the expectations below are exact.
constexpr float kRate = 44100.0f;
constexpr float kFrequency = 441.0f;

float justBelow(float x) { return std::nextafter(x, 0.0f); }

}  // namespace

TEST(Oscillators, StartDerivesPeriodAndSlopeFromFrequency) {
  SawOscillator saw;
  saw.start(440.0f, kRate);
  // The documented values for A440 at 44.1 kHz, to single precision.
  EXPECT_FLOAT_EQ(saw.period, 100.22727f);
  EXPECT_FLOAT_EQ(saw.slope, 0.019954648f);

  SquareOscillator square;
  square.start(kFrequency, kRate);
  EXPECT_EQ(square.period, 100.0f);
  EXPECT_EQ(square.halfPeriod, 50.0f);

  TriangleOscillator triangle;
  triangle.start(kFrequency, kRate);
  EXPECT_EQ(triangle.quarterPeriod, 25.0f);
  EXPECT_EQ(triangle.threeQuarterPeriod, 75.0f);
  EXPECT_EQ(triangle.slope, 0.04f);
}

TEST(Oscillators, SquareBreaksToMinusOneExactlyAtHalfPeriod) {
  SquareOscillator square;
  square.start(kFrequency, kRate);
  EXPECT_EQ(square.valueAt(0.0f), 1.0f);
  EXPECT_EQ(square.valueAt(justBelow(50.0f)), 1.0f);
  EXPECT_EQ(square.valueAt(50.0f), -1.0f);
  EXPECT_EQ(square.valueAt(justBelow(100.0f)), -1.0f);
  EXPECT_EQ(square.valueAt(100.0f), 1.0f);
}

TEST(Oscillators, SawRisesFromMinusOneToJustBelowPlusOne) {
  SawOscillator saw;
  saw.start(kFrequency, kRate);
  EXPECT_EQ(saw.valueAt(0.0f), -1.0f);
  EXPECT_EQ(saw.valueAt(25.0f), -0.5f);
  EXPECT_EQ(saw.valueAt(50.0f), 0.0f);
  const float nearEnd = saw.valueAt(justBelow(100.0f));
  EXPECT_LT(nearEnd, 1.0f);
  EXPECT_GT(nearEnd, 0.9999f);
  EXPECT_EQ(saw.valueAt(100.0f), -1.0f);
}

TEST(Oscillators, TriangleBreakPointsBelongToTheLaterSegment) {
  TriangleOscillator triangle;
  triangle.start(kFrequency, kRate);
  EXPECT_EQ(triangle.valueAt(0.0f), 0.0f);
  EXPECT_EQ(triangle.valueAt(25.0f), 1.0f);   // 2 - t * slope
  EXPECT_EQ(triangle.valueAt(50.0f), 0.0f);
  EXPECT_EQ(triangle.valueAt(75.0f), -1.0f);  // t * slope - 4
  EXPECT_EQ(triangle.valueAt(100.0f), 0.0f);
  EXPECT_LT(triangle.valueAt(justBelow(25.0f)), 1.0f);
  EXPECT_GT(triangle.valueAt(justBelow(75.0f)), -1.0f);
}

TEST(Oscillators, PhaseOfSeveralPeriodsReducesToTheSameCycle) {
  SquareOscillator square;
  SawOscillator saw;
  TriangleOscillator triangle;
  for (Oscillator* o : {static_cast<Oscillator*>(&square), static_cast<Oscillator*>(&saw),
                        static_cast<Oscillator*>(&triangle)}) {
    o->start(kFrequency, kRate);
    EXPECT_EQ(o->valueAt(250.0f), o->valueAt(50.0f));
    EXPECT_EQ(o->valueAt(1030.0f), o->valueAt(30.0f));
  }
}

// A phase of more than 2^31 periods must not go through an integer
// conversion, which would be undefined and, on x86, yield garbage far
// outside -1..+1. Whole multiples of the period reduce to the cycle's start.
TEST(Oscillators, PhaseBeyondIntegerRangeReducesToTheCycleStart) {
  SquareOscillator square;
  SawOscillator saw;
  TriangleOscillator triangle;
  square.start(kRate, kRate);  // one-sample cycle
  saw.start(kRate, kRate);
  triangle.start(kRate, kRate);
  for (float phase : {3.0e9f, 1.0e20f, 3.0e38f}) {
    EXPECT_EQ(square.valueAt(phase), 1.0f) << phase;
    EXPECT_EQ(saw.valueAt(phase), -1.0f) << phase;
    EXPECT_EQ(triangle.valueAt(phase), 0.0f) << phase;
  }
}

// Before its first start an oscillator behaves as a one-sample cycle.
TEST(Oscillators, NeverStartedOscillatorsGiveDefinedValues) {
  SquareOscillator square;
  SawOscillator saw;
  TriangleOscillator triangle;
  EXPECT_EQ(square.valueAt(7.25f), 1.0f);
  EXPECT_EQ(square.valueAt(7.75f), -1.0f);
  EXPECT_EQ(saw.valueAt(7.5f), 0.0f);
  EXPECT_EQ(triangle.valueAt(7.25f), 1.0f);
  EXPECT_EQ(triangle.valueAt(7.75f), -1.0f);
}
