// Whatever a host sends, the engine must neither misbehave nor hand it NaN
// or infinity: parameter values far outside 0..1, NaN and infinities,
// unusable sample rates, tiny blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "engine/parameters.h"
#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"

namespace {

const float kHostileValues[] = {std::numeric_limits<float>::quiet_NaN(),
                                std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(),
                                -1.0f,
                                2.0f,
                                1e30f,
                                -1e30f,
                                std::numeric_limits<float>::max(),
                                1e-40f};

// A busy stretch of playing: notes, bends, vibrato, releases.
std::vector<MidiEvent> busyEvents() {
  return {noteOnAt(0, 0, 127),    noteOnAt(0, 127, 1),   controllerAt(10, 1, 127),
          pitchBendAt(20, 0),     noteOnAt(30, 60, 64),  pitchBendAt(40, 127),
          noteOffAt(300, 0),      controllerAt(400, 123, 0), noteOnAt(500, 69, 100)};
}

// Renders a few blocks and checks that every sample is finite.
void expectFiniteOutput(SynthEngine& engine, const char* what, float value) {
  RenderCursor cursor;
  const std::vector<MidiEvent> events = busyEvents();
  for (int block = 0; block < 8; ++block) {
    const StereoBlock out = renderBlock(engine, events, cursor, 128);
    for (int i = 0; i < 128; ++i) {
      ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i]))
          << what << " = " << value << ", block " << block << ", sample " << i;
    }
  }
}

void applyDefaults(SynthEngine& engine) {
  engine.setWaveform(0.5f);
  engine.setFilter(0.999f, 0.999f);
  engine.setEnvelope(0.01f, 0.3f, 0.01f, 0.3f, 0.01f);
}

}  // namespace

TEST(Robustness, HostileValueInAnyParameterNeverReachesTheOutputAsNaN) {
  const char* names[] = {"waveform", "attack", "peak", "decay", "sustain", "release", "cutoff", "damping"};
  for (int slot = 0; slot < 8; ++slot) {
    for (float value : kHostileValues) {
      float p[8] = {0.5f, 0.01f, 0.3f, 0.01f, 0.3f, 0.01f, 0.999f, 0.999f};
      p[slot] = value;
      SynthEngine engine;
      engine.setWaveform(p[0]);
      engine.setFilter(p[6], p[7]);
      engine.setEnvelope(p[1], p[2], p[3], p[4], p[5]);
      expectFiniteOutput(engine, names[slot], value);
    }
  }
}

TEST(Robustness, HostileValuesEverywhereAtOnce) {
  for (float value : kHostileValues) {
    SynthEngine engine;
    engine.setWaveform(value);
    engine.setFilter(value, value);
    engine.setEnvelope(value, value, value, value, value);
    expectFiniteOutput(engine, "every parameter", value);
  }
}

// Parameters changed while notes sound, including back to sane values: the
// voices must come back to life.
TEST(Robustness, VoiceWhoseFilterRanAwayRestartsFromSilence) {
  SynthEngine engine;
  applyDefaults(engine);
  RenderCursor cursor;
  renderBlock(engine, {noteOnAt(0, 60, 127)}, cursor, 64);
  engine.setFilter(1e20f, 1e20f);
  const StereoBlock wild = renderBlock(engine, {}, 256);
  for (float s : wild.left) ASSERT_TRUE(std::isfinite(s));
  EXPECT_TRUE(std::isfinite(engine.voice(0).filterState1));
  EXPECT_TRUE(std::isfinite(engine.voice(0).filterState2));

  engine.setFilter(0.5f, 0.5f);
  const StereoBlock tame = renderBlock(engine, {}, 256);
  float loudest = 0.0f;
  for (float s : tame.left) loudest = std::max(loudest, std::fabs(s));
  EXPECT_GT(loudest, 0.01f);
}

TEST(Robustness, NonFiniteEnvelopeValuesAreTakenAsZero) {
  SynthEngine engine;
  engine.setEnvelope(NAN, INFINITY, -INFINITY, NAN, NAN);
  const Envelope& envelope = engine.voice(0).envelope;
  EXPECT_EQ(envelope.attackLength, 0.0f);
  EXPECT_EQ(envelope.peakLevel, 0.0f);
  EXPECT_EQ(envelope.decayLength, 0.0f);
  EXPECT_EQ(envelope.sustainLevel, 0.0f);
  EXPECT_EQ(envelope.releaseLength, 0.0f);
  engine.setFilter(NAN, INFINITY);
  EXPECT_EQ(engine.voice(0).cutoff, 0.0f);
  EXPECT_EQ(engine.voice(0).damping, 0.0f);
}

TEST(Robustness, NonFiniteWaveformStillChoosesAWaveform) {
  SynthEngine engine;
  engine.setWaveform(-INFINITY);
  EXPECT_EQ(engine.voice(0).oscillator, &engine.voice(0).square);
  engine.setWaveform(INFINITY);
  EXPECT_EQ(engine.voice(0).oscillator, &engine.voice(0).triangle);
  engine.setWaveform(NAN);  // fails both comparisons
  EXPECT_EQ(engine.voice(0).oscillator, &engine.voice(0).triangle);
}

// Exact: the equivalent must give the very same bits, so that a saved state
// with such a value sounds unchanged once read back.
TEST(Robustness, EveryNonFiniteValueSoundsAsItsFiniteEquivalent) {
  for (int slot = 0; slot < 8; ++slot) {
    for (float value : {NAN, INFINITY, -INFINITY}) {
      float hostile[8] = {0.5f, 0.01f, 0.3f, 0.01f, 0.3f, 0.01f, 0.5f, 0.2f};
      float equivalent[8];
      std::copy(hostile, hostile + 8, equivalent);
      hostile[slot] = value;
      equivalent[slot] = finiteEquivalent(static_cast<ParameterIndex>(slot), value);
      ASSERT_TRUE(std::isfinite(equivalent[slot]));
      SynthEngine withHostile, withEquivalent;
      for (auto [engine, p] : {std::pair{&withHostile, hostile}, {&withEquivalent, equivalent}}) {
        engine->setWaveform(p[0]);
        engine->setFilter(p[6], p[7]);
        engine->setEnvelope(p[1], p[2], p[3], p[4], p[5]);
      }
      RenderCursor hostileCursor, equivalentCursor;
      const StereoBlock heard = renderBlock(withHostile, busyEvents(), hostileCursor, 1024);
      const StereoBlock saved = renderBlock(withEquivalent, busyEvents(), equivalentCursor, 1024);
      EXPECT_EQ(heard.left, saved.left) << "parameter " << slot << " = " << value;
      EXPECT_EQ(heard.right, saved.right) << "parameter " << slot << " = " << value;
    }
  }
  EXPECT_EQ(finiteEquivalent(cutoff, 0.25f), 0.25f);
}

TEST(Robustness, UnusableSampleRatesAreIgnored) {
  SynthEngine engine;
  engine.setSampleRate(48000.0f);
  for (float rate : {0.0f, -0.0f, -44100.0f, 1e-40f, std::numeric_limits<float>::infinity(),
                     std::numeric_limits<float>::quiet_NaN()}) {
    engine.setSampleRate(rate);
    for (int i = 0; i < SynthEngine::kVoiceCount; ++i) EXPECT_EQ(engine.voice(i).sampleRate, 48000.0f) << rate;
  }
}

TEST(Robustness, ExtremeButValidSampleRatesRenderFinitely) {
  for (float rate : {1.0f, 1e-30f, 1e30f, std::numeric_limits<float>::max()}) {
    SynthEngine engine;
    engine.setSampleRate(rate);
    applyDefaults(engine);
    expectFiniteOutput(engine, "sample rate", rate);
  }
}

// After years of sound (or at an absurdly low rate) the vibrato argument
// leaves the sine's range; the voice must go on producing finite samples.
TEST(Robustness, ExtremeVibratoCounterStaysFinite) {
  for (double counter : {1e15, 1e300}) {
    Voice voice;
    voice.cutoff = 0.5f;
    voice.damping = 0.5f;
    voice.envelope.sustainLevel = 1.0f;
    voice.startNote(60, 127);
    voice.modDepth = 0.0254f;
    voice.lfoCounter = counter;
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(std::isfinite(voice.tick())) << counter;
    EXPECT_TRUE(std::isfinite(voice.phase));
  }
}
