// The envelope's steady runs, which let the voices' lanes skip the per-tick
// stage tests, against tick() itself. Exact: a steady run must leave the
// envelope in the very state that as many ticks leave it in, and the tick
// after it must be the one that changes the stage.
#include <gtest/gtest.h>

#include "engine_test_support.h"

#include <cmath>
#include <random>
#include <vector>

#include "engine/envelope.h"

namespace {

constexpr float kCountLimit = 16777216.0f;  // 2^24, where a float count stops

bool sameState(const Envelope& a, const Envelope& b) {
  return a.state == b.state && a.level == b.level && a.attackCount == b.attackCount &&
         a.decayCount == b.decayCount && a.releaseCount == b.releaseCount;
}

// Walks `envelope` through steady runs of at most `limit` ticks, each checked
// against tick(), until `total` ticks have passed.
void expectSteadyRunsMatchTicks(Envelope& envelope, int32_t limit, int total) {
  int done = 0;
  while (done < total) {
    const int32_t steady = envelope.steadyTicks(limit);
    ASSERT_GE(steady, 0);
    ASSERT_LE(steady, limit);
    Envelope ticked = envelope;
    float level = envelope.steadyStartLevel();
    for (int32_t i = 0; i < steady; ++i) {
      const Envelope::State before = ticked.state;
      const float expected = ticked.tick();
      level += envelope.steadyIncrement();
      ASSERT_EQ(ticked.state, before) << "a steady tick changed the stage, tick " << done + i;
      ASSERT_EQ(level, expected) << "tick " << done + i;
    }
    envelope.skipSteadyTicks(steady, level);
    ASSERT_TRUE(sameState(envelope, ticked)) << "after " << done + steady << " ticks";
    if (steady < limit) {
      // The tick after a run cut short changes the stage.
      const Envelope::State before = envelope.state;
      envelope.tick();
      ASSERT_NE(envelope.state, before) << "tick " << done + steady;
      done += 1;
    }
    done += steady;
  }
}

}  // namespace

TEST(EnvelopeSteadyRuns, WholeAndFractionalStageLengths) {
  for (float length : {0.0f, 1.0f, 4.0f, 4.5f, 63.0f, 64.0f, 65.0f, 100.3f, 1000.0f}) {
    SCOPED_TRACE(length);
    Envelope envelope = withSettings(length, 1.0f, length, 0.5f, length);
    envelope.trigger();
    expectSteadyRunsMatchTicks(envelope, 64, 3000);
    envelope.release();
    expectSteadyRunsMatchTicks(envelope, 64, 3000);
  }
}

TEST(EnvelopeSteadyRuns, SustainAndIdleHoldTheirLevel) {
  Envelope envelope = withSettings(0.0f, 0.3f, 0.0f, 0.3f, 0.0f);
  envelope.trigger();
  EXPECT_EQ(envelope.steadyTicks(1000), 1000);
  EXPECT_EQ(envelope.steadyStartLevel(), 0.3f);
  EXPECT_TRUE(std::signbit(envelope.steadyIncrement()));  // -0 leaves every level as it is
  expectSteadyRunsMatchTicks(envelope, 100, 500);
  Envelope idle;
  idle.level = 0.7f;  // an Idle tick sets 0
  expectSteadyRunsMatchTicks(idle, 100, 500);
}

// A length changed while the stage runs: the count may already lie beyond it,
// and the next tick ends the stage.
TEST(EnvelopeSteadyRuns, LengthShortenedBehindTheCount) {
  Envelope envelope = withSettings(100.0f, 1.0f, 100.0f, 0.5f, 100.0f);
  envelope.trigger();
  for (int i = 0; i < 50; ++i) envelope.tick();
  envelope.attackLength = 10.0f;
  EXPECT_EQ(envelope.steadyTicks(64), 0);
  expectSteadyRunsMatchTicks(envelope, 64, 200);
  envelope.attackLength = -5.0f;
  envelope.trigger();
  EXPECT_EQ(envelope.steadyTicks(64), 0);
}

// A count stops at 2^24: a stage at least that long never ends, and a run
// that reaches the limit leaves the count there.
TEST(EnvelopeSteadyRuns, CountsStopAtTwoToTheTwentyFour) {
  Envelope envelope = withSettings(kCountLimit, 1.0f, 1.0f, 0.5f, 1.0f);
  envelope.trigger();
  envelope.attackCount = kCountLimit - 10.0f;
  EXPECT_EQ(envelope.steadyTicks(64), 64);
  expectSteadyRunsMatchTicks(envelope, 64, 300);
  EXPECT_EQ(envelope.attackCount, kCountLimit);
  EXPECT_EQ(envelope.state, Envelope::Attack);

  envelope.attackLength = kCountLimit - 1.0f;  // now it ends
  envelope.attackCount = kCountLimit - 40.0f;
  expectSteadyRunsMatchTicks(envelope, 64, 300);
  EXPECT_EQ(envelope.state, Envelope::Sustain);
}

TEST(EnvelopeSteadyRuns, RandomSettingsAndRunLimits) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> length(0.0f, 300.0f), level(-1.0f, 2.0f);
  for (int trial = 0; trial < 300; ++trial) {
    const bool whole = random() % 2 == 0;
    const auto pick = [&] { return whole ? std::floor(length(random)) : length(random); };
    Envelope envelope = withSettings(pick(), level(random), pick(), level(random), pick());
    const int32_t limit = 1 + static_cast<int32_t>(random() % 300);
    envelope.trigger();
    expectSteadyRunsMatchTicks(envelope, limit, 700);
    envelope.release();
    expectSteadyRunsMatchTicks(envelope, limit, 400);
  }
}
