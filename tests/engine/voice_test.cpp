#include "engine/voice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kA440 = 69;

// Feeds the filter a chosen signal: the voice's phase advances by 1 per tick
// with no bend or vibrato, so phase is the sample index.
class SignalOscillator : public Oscillator {
 public:
  explicit SignalOscillator(float (*signal)(float)) : signal(signal) {}
  void start(float, float) override {}
  float valueAt(float phase) const override { return signal(phase); }

 private:
  float (*signal)(float);
};

// A voice ready to sound: sustain-only envelope at full level.
void prepare(Voice& voice, float sustain = 1.0f) {
  voice.cutoff = 0.999f;
  voice.damping = 0.999f;
  voice.envelope.sustainLevel = sustain;
  voice.envelope.peakLevel = sustain;
}

// Drives the voice's filter with a signal for long enough to settle, with
// the phase never wrapping, and returns the largest |filterState2| over the
// last `measured` ticks.
float settledAmplitude(float cutoff, float damping, float (*signal)(float), int measured = 2000) {
  Voice voice;
  SignalOscillator source(signal);
  voice.oscillator = &source;
  voice.period = 1e9f;
  voice.cutoff = cutoff;
  voice.damping = damping;
  float peak = 0.0f;
  for (int i = 0; i < 20000 + measured; ++i) {
    voice.tick();
    if (i >= 20000) peak = std::max(peak, std::fabs(voice.filterState2));
  }
  return peak;
}

}  // namespace

TEST(Voice, StartsWithDefinedFields) {
  const Voice voice;
  EXPECT_EQ(voice.sampleRate, 44100.0f);
  EXPECT_EQ(voice.oscillator, &voice.triangle);
  EXPECT_TRUE(voice.isFree());
  EXPECT_EQ(voice.phase, 0.0f);
  EXPECT_EQ(voice.lfoCounter, 0.0);
  EXPECT_EQ(voice.pitchBend, 0.0f);
  EXPECT_EQ(voice.modDepth, 0.0f);
}

TEST(Voice, NoteStartSetsPeriodVelocityAndStartsOnlyTheSelectedOscillator) {
  Voice voice;
  prepare(voice);
  voice.oscillator = &voice.saw;
  voice.startNote(kA440, 127);
  EXPECT_FLOAT_EQ(voice.period, 100.22727f);
  EXPECT_EQ(voice.note, kA440);
  EXPECT_FLOAT_EQ(voice.velocity, 1.0f);
  EXPECT_FALSE(voice.isFree());
  EXPECT_FLOAT_EQ(voice.saw.period, 100.22727f);
  EXPECT_EQ(voice.square.period, 1.0f);  // never started
  EXPECT_EQ(voice.triangle.period, 1.0f);
}

TEST(Voice, PhaseAdvancesByExactlyOneAndWrapsOnTheTickPastThePeriod) {
  Voice voice;
  prepare(voice);
  voice.startNote(kA440, 100);
  for (int i = 0; i < 100; ++i) voice.tick();
  EXPECT_EQ(voice.phase, 100.0f);  // below 100.22727: no wrap yet
  voice.tick();
  EXPECT_EQ(voice.phase, 101.0f - voice.period);
  EXPECT_EQ(voice.lfoCounter, 101.0);
}

TEST(Voice, PhaseBeyondANewShorterPeriodComesBackOnePeriodPerTick) {
  Voice voice;
  prepare(voice);
  voice.phase = 1000.0f;
  voice.startNote(kA440, 100);
  voice.tick();
  EXPECT_EQ(voice.phase, 1001.0f - voice.period);
  voice.tick();
  EXPECT_EQ(voice.phase, (1001.0f - voice.period) + 1.0f - voice.period);
}

// With cutoff 1 and damping 1 the filter's first output from cleared states
// is its input, so the first sample shows the waveform at the starting phase.
TEST(Voice, FirstSampleReadsTheOscillatorBeforeThePhaseMoves) {
  Voice voice;
  prepare(voice);
  voice.cutoff = 1.0f;
  voice.damping = 1.0f;
  voice.sampleRate = 44000.0f;  // period 100 for A440
  voice.oscillator = &voice.saw;
  voice.phase = 25.0f;
  voice.startNote(kA440, 127);
  EXPECT_EQ(voice.tick(), -0.5f);
}

TEST(Voice, IdleVoiceStillMovesWhenTickedAndReturnsZero) {
  Voice voice;
  prepare(voice);
  voice.cutoff = 0.5f;
  voice.damping = 0.5f;
  voice.startNote(kA440, 127);
  voice.releaseNote();  // release length 0: Idle after one tick
  voice.tick();
  ASSERT_TRUE(voice.isFree());
  const float phase = voice.phase;
  const float state1 = voice.filterState1;
  const float state2 = voice.filterState2;
  EXPECT_EQ(voice.tick(), 0.0f);
  EXPECT_EQ(voice.phase, phase + 1.0f);
  EXPECT_EQ(voice.lfoCounter, 2.0);
  EXPECT_NE(voice.filterState1, state1);
  EXPECT_NE(voice.filterState2, state2);
}

TEST(Voice, VelocityZeroRunsTheEnvelopeSilently) {
  Voice voice;
  prepare(voice);
  voice.startNote(kA440, 0);
  EXPECT_FALSE(voice.isFree());
  for (int i = 0; i < 100; ++i) EXPECT_EQ(voice.tick(), 0.0f);
}

// Bend is in units of 1/0.1666 octave: -0.9984 is about two semitones down.
TEST(Voice, PitchBendScalesThePhaseStep) {
  Voice voice;
  voice.period = 1e9f;
  voice.setPitchBend(-0.9984f);
  voice.tick();
  EXPECT_NEAR(voice.phase, std::pow(2.0, -0.9984 * 0.1666), 1e-6);
  EXPECT_NEAR(voice.phase, std::pow(2.0, -2.0 / 12.0), 2e-3);  // about a whole tone
  voice.setPitchBend(0.0f);
  const float before = voice.phase;
  voice.tick();
  EXPECT_EQ(voice.phase, before + 1.0f);
}

// The vibrato only ever raises the pitch: its step lies in 1 .. 1 + 2 * depth.
TEST(Voice, VibratoRaisesThePhaseStepWithinTwiceItsDepth) {
  Voice voice;
  voice.period = 1e9f;
  voice.modDepth = 0.0254f;
  float lowest = 2.0f, highest = 0.0f;
  float previous = voice.phase;
  for (int i = 0; i < 5000; ++i) {
    voice.tick();
    const float step = voice.phase - previous;
    previous = voice.phase;
    lowest = std::min(lowest, step);
    highest = std::max(highest, step);
  }
  EXPECT_GE(lowest, 0.9999f);
  EXPECT_LE(highest, 1.0f + 2 * 0.0254f + 1e-4f);
  EXPECT_GT(highest, 1.0f + 2 * 0.0254f - 1e-3f);  // the sine reached its top
}

// A float counter stops at 2^24 (adding 1 no longer changes it) and the
// vibrato would freeze after about six minutes; the voice's counter goes on.
TEST(Voice, VibratoKeepsMovingPastTwoToTheTwentyFourTicks) {
  Voice voice;
  voice.period = 1e9f;
  voice.modDepth = 0.0254f;
  voice.lfoCounter = 16777216.0;
  std::vector<float> steps;
  for (int i = 0; i < 8; ++i) {
    const float before = voice.phase;
    voice.tick();
    steps.push_back(voice.phase - before);
  }
  EXPECT_EQ(voice.lfoCounter, 16777224.0);
  EXPECT_NE(steps.front(), steps.back());
}

// Filter: a constant x settles at x / (1 + q^2); the response peaks near f
// radians per sample at about 1 / (2 q); near f = 1 it rises towards the
// Nyquist frequency instead. Measured amplitudes, so the tolerances are those
// of the approximations quoted.
TEST(Voice, FilterPassesDcAtOneOverOnePlusDampingSquared) {
  const auto one = [](float) { return 1.0f; };
  EXPECT_NEAR(settledAmplitude(0.999f, 0.999f, one), 1.0f / (1.0f + 0.999f * 0.999f), 1e-5f);
  EXPECT_NEAR(settledAmplitude(0.1f, 0.2f, one), 1.0f / 1.04f, 1e-5f);
}

TEST(Voice, FilterResonatesNearItsCutoff) {
  const auto atCutoff = [](float n) { return static_cast<float>(std::sin(0.1 * n)); };
  const auto wellBelow = [](float n) { return static_cast<float>(std::sin(0.005 * n)); };
  const auto wellAbove = [](float n) { return static_cast<float>(std::sin(1.0 * n)); };
  EXPECT_NEAR(settledAmplitude(0.1f, 0.2f, atCutoff), 2.5f, 0.25f);
  EXPECT_NEAR(settledAmplitude(0.1f, 0.2f, wellBelow), 0.96f, 0.02f);
  EXPECT_LT(settledAmplitude(0.1f, 0.2f, wellAbove), 0.05f);
  // Less damping, more resonance.
  EXPECT_GT(settledAmplitude(0.1f, 0.1f, atCutoff), 1.8f * settledAmplitude(0.1f, 0.2f, atCutoff));
}

TEST(Voice, DefaultFilterAmplifiesTheNyquistFrequency) {
  const auto alternating = [](float n) { return static_cast<int>(n) % 2 == 0 ? 1.0f : -1.0f; };
  EXPECT_NEAR(settledAmplitude(0.999f, 0.999f, alternating), 166.0f, 2.0f);
}

TEST(Voice, CutoffZeroFreezesTheFilterSilent) {
  Voice voice;
  prepare(voice);
  voice.cutoff = 0.0f;
  voice.oscillator = &voice.square;
  voice.startNote(kA440, 127);
  for (int i = 0; i < 500; ++i) EXPECT_EQ(voice.tick(), 0.0f);
}
