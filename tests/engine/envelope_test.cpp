#include "engine/envelope.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine_test_support.h"

namespace {

std::vector<float> ticks(Envelope& envelope, int count) {
  std::vector<float> levels;
  for (int i = 0; i < count; ++i) levels.push_back(envelope.tick());
  return levels;
}

}  // namespace

// Steps of 0.25 and 0.125 are exact in binary, so these sequences are exact.
TEST(Envelope, TimedStagesRunTheirLengthPlusOneTick) {
  Envelope envelope = withSettings(4.0f, 1.0f, 4.0f, 0.5f, 0.0f);
  envelope.trigger();
  EXPECT_EQ(envelope.state, Envelope::Attack);

  EXPECT_EQ(ticks(envelope, 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_EQ(envelope.state, Envelope::Attack);
  EXPECT_EQ(envelope.tick(), 1.25f);  // the extra tick overshoots by one step
  EXPECT_EQ(envelope.state, Envelope::Decay);

  EXPECT_EQ(ticks(envelope, 4), (std::vector<float>{1.125f, 1.0f, 0.875f, 0.75f}));
  EXPECT_EQ(envelope.state, Envelope::Decay);
  EXPECT_EQ(envelope.tick(), 0.625f);  // sustain + attackStep - decayStep
  EXPECT_EQ(envelope.state, Envelope::Sustain);
  EXPECT_EQ(envelope.tick(), 0.5f);
  EXPECT_EQ(envelope.tick(), 0.5f);
}

TEST(Envelope, FractionalLengthEndsOnTheFirstTickPastIt) {
  Envelope envelope = withSettings(2.5f, 1.0f, 0.0f, 0.5f, 0.0f);
  envelope.trigger();
  ticks(envelope, 2);
  EXPECT_EQ(envelope.state, Envelope::Attack);
  envelope.tick();
  EXPECT_EQ(envelope.state, Envelope::Decay);
}

TEST(Envelope, ZeroAttackAndDecayGoStraightToSustain) {
  Envelope envelope = withSettings(0.0f, 1.0f, 0.0f, 0.3f, 0.0f);
  envelope.trigger();
  EXPECT_EQ(envelope.state, Envelope::Sustain);
  EXPECT_EQ(envelope.level, 0.0f);
  EXPECT_EQ(envelope.tick(), 0.3f);
}

TEST(Envelope, ZeroAttackStartsTheDecayAtPeak) {
  Envelope envelope = withSettings(0.0f, 1.0f, 4.0f, 0.5f, 0.0f);
  envelope.trigger();
  EXPECT_EQ(envelope.state, Envelope::Decay);
  EXPECT_EQ(envelope.level, 1.0f);
  EXPECT_EQ(envelope.tick(), 0.875f);
}

// The release step is 0.8 / 4 in single precision, so the ramp is within a
// few float roundings of the decimal values; its end is exact.
TEST(Envelope, ReleaseFallsFromTheCurrentLevelToZeroThenIdles) {
  Envelope envelope = withSettings(0.0f, 0.8f, 0.0f, 0.8f, 4.0f);
  envelope.trigger();
  envelope.tick();
  envelope.release();
  EXPECT_EQ(envelope.state, Envelope::Release);
  EXPECT_FLOAT_EQ(envelope.tick(), 0.6f);
  EXPECT_FLOAT_EQ(envelope.tick(), 0.4f);
  EXPECT_FLOAT_EQ(envelope.tick(), 0.2f);
  EXPECT_NEAR(envelope.tick(), 0.0f, 1e-6f);
  EXPECT_EQ(envelope.state, Envelope::Release);
  EXPECT_EQ(envelope.tick(), 0.0f);
  EXPECT_EQ(envelope.state, Envelope::Idle);
}

TEST(Envelope, ZeroReleaseEndsOnTheFirstTick) {
  Envelope envelope = withSettings(0.0f, 1.0f, 0.0f, 0.7f, 0.0f);
  envelope.trigger();
  envelope.tick();
  envelope.release();
  EXPECT_EQ(envelope.tick(), 0.0f);
  EXPECT_EQ(envelope.state, Envelope::Idle);
}

TEST(Envelope, ReleaseOfAnIdleEnvelopeStaysBusyForTheReleaseLength) {
  Envelope envelope = withSettings(0.0f, 1.0f, 0.0f, 1.0f, 3.0f);
  envelope.release();
  EXPECT_EQ(envelope.releaseStep, 0.0f);
  EXPECT_EQ(ticks(envelope, 3), (std::vector<float>{0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(envelope.state, Envelope::Release);
  envelope.tick();
  EXPECT_EQ(envelope.state, Envelope::Idle);
}

TEST(Envelope, SecondReleaseRestartsTheFadeFromTheCurrentLevel) {
  Envelope envelope = withSettings(0.0f, 1.0f, 0.0f, 1.0f, 4.0f);
  envelope.trigger();
  envelope.tick();
  envelope.release();
  ticks(envelope, 2);  // level 0.5
  envelope.release();
  EXPECT_EQ(envelope.releaseStep, 0.125f);
  EXPECT_EQ(envelope.tick(), 0.375f);
}

TEST(Envelope, SettingsChangedMidNoteActWithoutRecomputingSteps) {
  Envelope envelope = withSettings(4.0f, 1.0f, 0.0f, 0.5f, 0.0f);
  envelope.trigger();
  envelope.tick();
  envelope.attackLength = 1.0f;  // ends the attack sooner, same slope
  EXPECT_EQ(envelope.tick(), 0.5f);
  EXPECT_EQ(envelope.state, Envelope::Decay);

  envelope.tick();
  envelope.tick();
  ASSERT_EQ(envelope.state, Envelope::Sustain);
  envelope.sustainLevel = 0.25f;
  EXPECT_EQ(envelope.tick(), 0.25f);
}
