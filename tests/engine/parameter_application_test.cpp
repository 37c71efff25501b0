#include <gtest/gtest.h>

#include <cmath>

#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"

namespace {

const Oscillator* selected(const SynthEngine& engine, int index) { return engine.voice(index).oscillator; }

void expectAllSelect(const SynthEngine& engine, const Oscillator* (*pick)(const Voice&)) {
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) EXPECT_EQ(selected(engine, i), pick(engine.voice(i))) << i;
}

const Oscillator* squareOf(const Voice& v) { return &v.square; }
const Oscillator* sawOf(const Voice& v) { return &v.saw; }
const Oscillator* triangleOf(const Voice& v) { return &v.triangle; }

}  // namespace

TEST(ParameterApplication, EngineStartsWithTriangleFilterDefaultsAndUnityOutput) {
  const SynthEngine engine;
  expectAllSelect(engine, triangleOf);
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) {
    EXPECT_EQ(engine.voice(i).sampleRate, 44100.0f);
    EXPECT_EQ(engine.voice(i).cutoff, 0.999f);
    EXPECT_EQ(engine.voice(i).damping, 0.999f);
  }
  EXPECT_EQ(engine.output().volume, 127);
  EXPECT_EQ(engine.output().pan, 64);
}

TEST(ParameterApplication, WaveformValueSelectsTheOscillatorInEveryVoice) {
  SynthEngine engine;
  engine.setWaveform(0.0f);
  expectAllSelect(engine, squareOf);
  engine.setWaveform(0.5f);
  expectAllSelect(engine, sawOf);
  engine.setWaveform(1.0f);
  expectAllSelect(engine, triangleOf);
}

// The thresholds are the doubles 0.33 and 0.66; the floats nearest to them
// lie just above, so they already select the next waveform.
TEST(ParameterApplication, WaveformThresholdsCompareTheFloatAsADouble) {
  SynthEngine engine;
  ASSERT_GT(static_cast<double>(0.33f), 0.33);
  ASSERT_GT(static_cast<double>(0.66f), 0.66);
  engine.setWaveform(0.33f);
  expectAllSelect(engine, sawOf);
  engine.setWaveform(std::nextafter(0.33f, 0.0f));
  expectAllSelect(engine, squareOf);
  engine.setWaveform(0.66f);
  expectAllSelect(engine, triangleOf);
  engine.setWaveform(std::nextafter(0.66f, 0.0f));
  expectAllSelect(engine, sawOf);
}

TEST(ParameterApplication, EnvelopeTimesBecomeSamplesAtEachVoiceRate) {
  SynthEngine engine;
  engine.setEnvelope(0.5f, 0.8f, 0.25f, 0.4f, 1.0f);
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) {
    const Envelope& envelope = engine.voice(i).envelope;
    EXPECT_EQ(envelope.attackLength, 22050.0f);
    EXPECT_EQ(envelope.peakLevel, 0.8f);
    EXPECT_EQ(envelope.decayLength, 11025.0f);
    EXPECT_EQ(envelope.sustainLevel, 0.4f);
    EXPECT_EQ(envelope.releaseLength, 44100.0f);
  }
}

TEST(ParameterApplication, NewSampleRateReachesLengthsOnlyAtTheNextEnvelopeSetting) {
  SynthEngine engine;
  engine.setEnvelope(0.5f, 1.0f, 0.0f, 1.0f, 0.0f);
  engine.setSampleRate(48000.0f);
  EXPECT_EQ(engine.voice(3).sampleRate, 48000.0f);
  EXPECT_EQ(engine.voice(3).envelope.attackLength, 22050.0f);
  engine.setEnvelope(0.5f, 1.0f, 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(engine.voice(3).envelope.attackLength, 24000.0f);
}

TEST(ParameterApplication, FilterValuesReachEveryVoice) {
  SynthEngine engine;
  engine.setFilter(0.25f, 0.75f);
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) {
    EXPECT_EQ(engine.voice(i).cutoff, 0.25f);
    EXPECT_EQ(engine.voice(i).damping, 0.75f);
  }
}

// Selecting a waveform does not start its oscillator: a sounding voice plays
// it at the period it was last started with, possibly for another note.
TEST(ParameterApplication, SwitchedWaveformKeepsThePeriodOfItsLastStart) {
  SynthEngine engine;
  engine.setWaveform(0.5f);
  renderBlock(engine, {noteOnAt(0, 69, 100)}, 4);
  const float sawPeriod = engine.voice(0).saw.period;
  EXPECT_FLOAT_EQ(sawPeriod, 100.22727f);

  engine.setWaveform(0.0f);
  EXPECT_EQ(engine.voice(0).square.period, 1.0f);  // never started
  renderBlock(engine, {noteOnAt(0, 81, 100)}, 4);  // voice 1, A880
  EXPECT_FLOAT_EQ(engine.voice(1).square.period, sawPeriod / 2);

  engine.setWaveform(0.5f);
  EXPECT_EQ(engine.voice(0).saw.period, sawPeriod);
  EXPECT_EQ(engine.voice(1).saw.period, 1.0f);
}

TEST(ParameterApplication, SustainChangeIsHeardOnTheNextSample) {
  SynthEngine engine;
  engine.setEnvelope(0.0f, 0.3f, 0.0f, 0.3f, 0.0f);
  RenderCursor cursor;
  const std::vector<MidiEvent> events{noteOnAt(0, 60, 127)};
  renderBlock(engine, events, cursor, 200);
  SynthEngine louder;  // the same history, then a higher sustain
  louder.setEnvelope(0.0f, 0.3f, 0.0f, 0.3f, 0.0f);
  RenderCursor louderCursor;
  renderBlock(louder, events, louderCursor, 200);
  louder.setEnvelope(0.0f, 0.3f, 0.0f, 0.6f, 0.0f);

  const StereoBlock quiet = renderBlock(engine, events, cursor, 1);
  const StereoBlock loud = renderBlock(louder, events, louderCursor, 1);
  ASSERT_NE(quiet.left[0], 0.0f);
  EXPECT_FLOAT_EQ(loud.left[0], 2.0f * quiet.left[0]);
}
