#include <gtest/gtest.h>

#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"

namespace {

constexpr int kBlock = 16;

// An instant envelope with the given release time.
void setRelease(SynthEngine& engine, float releaseSeconds) {
  engine.setEnvelope(0.0f, 0.5f, 0.0f, 0.5f, releaseSeconds);
}

void play(SynthEngine& engine, const std::vector<MidiEvent>& events, int frames = kBlock) {
  renderBlock(engine, events, frames);
}

int soundingVoices(const SynthEngine& engine) {
  int count = 0;
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) count += engine.voice(i).isFree() ? 0 : 1;
  return count;
}

bool releasing(const SynthEngine& engine, int voice) {
  return engine.voice(voice).envelope.state == Envelope::Release;
}

}  // namespace

TEST(MidiDispatch, EightNotesTakeTheVoicesInOrderAndTheNinthIsDropped) {
  SynthEngine engine;
  setRelease(engine, 0.0f);
  std::vector<MidiEvent> events;
  for (int i = 0; i < 9; ++i) events.push_back(noteOnAt(0, 60 + i, 100));
  play(engine, events);
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) EXPECT_EQ(engine.voice(i).note, 60 + i);
  EXPECT_EQ(soundingVoices(engine), 8);
}

TEST(MidiDispatch, TwoVoicesOnOneNoteNeedTwoNoteOffs) {
  SynthEngine engine;
  setRelease(engine, 1.0f);
  play(engine, {noteOnAt(0, 60, 100), noteOnAt(0, 60, 100), noteOffAt(1, 60)});
  EXPECT_TRUE(releasing(engine, 0));
  EXPECT_EQ(engine.voice(1).envelope.state, Envelope::Sustain);
  play(engine, {noteOffAt(0, 60)});
  EXPECT_TRUE(releasing(engine, 1));
}

TEST(MidiDispatch, NoteOffIgnoresOtherNotesAndReleasedVoices) {
  SynthEngine engine;
  setRelease(engine, 1.0f);
  play(engine, {noteOnAt(0, 60, 100), noteOffAt(1, 61), noteOffAt(1, 60), noteOffAt(2, 60)});
  EXPECT_TRUE(releasing(engine, 0));
  EXPECT_EQ(engine.voice(0).envelope.releaseCount, kBlock - 1.0f);  // not restarted at frame 2
}

// A note-on of velocity 0 ends a note, as keyboards and MIDI files use it.
TEST(MidiDispatch, NoteOnWithVelocityZeroIsANoteOff) {
  SynthEngine engine;
  setRelease(engine, 1.0f);
  play(engine, {noteOnAt(0, 60, 100), noteOnAt(0, 60, 100), pitchBendAt(1, 0), noteOnAt(2, 60, 0)});
  EXPECT_TRUE(releasing(engine, 0));
  EXPECT_EQ(engine.voice(1).envelope.state, Envelope::Sustain);
  EXPECT_EQ(soundingVoices(engine), 2);
  EXPECT_FLOAT_EQ(engine.voice(0).pitchBend, -0.9984f);  // a note-off leaves the bend

  play(engine, {noteOnAt(0, 72, 0)});  // no such note held: nothing happens
  EXPECT_EQ(soundingVoices(engine), 2);
  EXPECT_TRUE(engine.voice(2).isFree());
}

TEST(MidiDispatch, PitchBendSpansTheDocumentedRange) {
  SynthEngine engine;
  setRelease(engine, 0.0f);
  play(engine, {pitchBendAt(0, 64)});
  EXPECT_EQ(engine.voice(0).pitchBend, 0.0f);
  play(engine, {pitchBendAt(0, 0)});
  EXPECT_FLOAT_EQ(engine.voice(5).pitchBend, -0.9984f);
  play(engine, {pitchBendAt(0, 127)});
  EXPECT_FLOAT_EQ(engine.voice(7).pitchBend, 0.9828f);
}

TEST(MidiDispatch, NoteOnClearsBendAndModulationInEveryVoice) {
  SynthEngine engine;
  setRelease(engine, 0.0f);
  play(engine, {noteOnAt(0, 60, 100), pitchBendAt(1, 0), controllerAt(1, 1, 127)});
  EXPECT_FLOAT_EQ(engine.voice(0).modDepth, 127 * 0.0002f);
  EXPECT_NE(engine.voice(3).pitchBend, 0.0f);

  // After the next note-on the held note plays unbent again: its phase step
  // is exactly 1.
  play(engine, {noteOnAt(0, 64, 100)});
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) {
    EXPECT_EQ(engine.voice(i).pitchBend, 0.0f);
    EXPECT_EQ(engine.voice(i).modDepth, 0.0f);
  }
  const float before = engine.voice(0).phase;
  play(engine, {}, 1);
  const float after = engine.voice(0).phase;
  EXPECT_TRUE(after == before + 1.0f || after == before + 1.0f - engine.voice(0).period);
}

TEST(MidiDispatch, ModulationWheelSetsTheVibratoDepthInEveryVoice) {
  SynthEngine engine;
  setRelease(engine, 0.0f);
  play(engine, {controllerAt(0, 1, 100)});
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) EXPECT_FLOAT_EQ(engine.voice(i).modDepth, 0.02f);
}

TEST(MidiDispatch, VolumeAndPanControllersReachTheOutputStage) {
  SynthEngine engine;
  setRelease(engine, 0.0f);
  play(engine, {controllerAt(0, 7, 64), controllerAt(0, 10, 0)});
  EXPECT_EQ(engine.output().volume, 64);
  EXPECT_EQ(engine.output().pan, 0);
  play(engine, {controllerAt(0, 10, 127)});
  EXPECT_EQ(engine.output().pan, 127);
}

TEST(MidiDispatch, AllNotesOffAndMonoModeReleaseEveryVoice) {
  for (int controller : {123, 126}) {
    SynthEngine engine;
    setRelease(engine, 1.0f);
    play(engine, {noteOnAt(0, 60, 100), noteOnAt(0, 64, 100), controllerAt(1, controller, 0)});
    for (int i = 0; i < SynthEngine::kVoiceCount; ++i) EXPECT_TRUE(releasing(engine, i)) << controller;
  }
}

// Released while idle, every voice is busy until its release count passes
// the release length: 8 samples here (1024 Hz, 1/128 s), so free on the 9th.
TEST(MidiDispatch, AllNotesOffWhileSilentBlocksNewNotesForTheReleaseTime) {
  SynthEngine engine;
  engine.setSampleRate(1024.0f);
  engine.setEnvelope(0.0f, 0.5f, 0.0f, 0.5f, 0.0078125f);
  const StereoBlock block = renderBlock(
      engine, {controllerAt(0, 123, 0), noteOnAt(8, 60, 100), noteOnAt(9, 62, 100)}, kBlock);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(block.left[i], 0.0f);
  EXPECT_EQ(engine.voice(0).note, 62);
  EXPECT_EQ(soundingVoices(engine), 1);
  EXPECT_EQ(engine.voice(7).lfoCounter, kBlock);  // idle voices were ticked too
}

TEST(MidiDispatch, OtherMessagesAreConsumedWithoutEffect) {
  SynthEngine engine;
  setRelease(engine, 0.0f);
  RenderCursor cursor;
  renderBlock(engine,
              {{0, 0xA0, 60, 100}, {0, 0xC0, 5, 0}, {0, 0xD0, 90, 0}, {0, 0x40, 60, 100},
               controllerAt(0, 64, 127)},
              cursor, kBlock);
  EXPECT_EQ(cursor.nextEvent, 5);
  EXPECT_EQ(soundingVoices(engine), 0);
  EXPECT_EQ(engine.output().volume, 127);
}

TEST(MidiDispatch, ChannelIsIgnored) {
  SynthEngine engine;
  setRelease(engine, 1.0f);
  play(engine, {{0, 0x9F, 60, 100}, {0, 0xB3, 7, 30}, {0, 0x85, 60, 0}});
  EXPECT_TRUE(releasing(engine, 0));
  EXPECT_EQ(engine.output().volume, 30);
}

// A data byte of 128 or more is no MIDI data: read as a signed byte it would
// index before noteFrequencies or hand a controller a negative value. The
// whole event is consumed and does nothing.
TEST(MidiDispatch, DataBytesWithTheTopBitSetVoidTheEvent) {
  SynthEngine engine;
  setRelease(engine, 1.0f);
  RenderCursor cursor;
  renderBlock(engine,
              {noteOnAt(0, 200, 100), noteOnAt(0, 60, 255), controllerAt(0, 7, 128),
               controllerAt(0, 10, 200), controllerAt(0, 129, 0), pitchBendAt(0, 255), {0, 0xE0, 200, 0},
               controllerAt(0, 1, 250)},
              cursor, kBlock);
  EXPECT_EQ(cursor.nextEvent, 8);
  EXPECT_EQ(soundingVoices(engine), 0);
  EXPECT_EQ(engine.output().volume, 127);
  EXPECT_EQ(engine.output().pan, 64);
  EXPECT_EQ(engine.voice(0).pitchBend, 0.0f);
  EXPECT_EQ(engine.voice(0).modDepth, 0.0f);

  play(engine, {noteOnAt(0, 60, 100), noteOffAt(1, 188), {1, 0x80, 60, 128}});
  EXPECT_EQ(engine.voice(0).envelope.state, Envelope::Sustain);
}
