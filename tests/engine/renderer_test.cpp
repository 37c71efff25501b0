#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"

namespace {

constexpr int kBlock = 64;

// An engine with an instant envelope at a clearly audible level.
void makeAudible(SynthEngine& engine) {
  engine.setWaveform(0.5f);
  engine.setFilter(0.5f, 0.5f);
  engine.setEnvelope(0.0f, 0.5f, 0.0f, 0.5f, 0.0f);
}

}  // namespace

TEST(Renderer, SilentBlockWritesZerosAndMovesNoVoice) {
  SynthEngine engine;
  const StereoBlock block = renderBlock(engine, {}, kBlock);
  for (int i = 0; i < kBlock; ++i) {
    EXPECT_EQ(block.left[i], 0.0f);
    EXPECT_EQ(block.right[i], 0.0f);
  }
  EXPECT_EQ(engine.voice(0).phase, 0.0f);
  EXPECT_EQ(engine.voice(0).lfoCounter, 0.0);
}

TEST(Renderer, NoteOnAtFrameTenSoundsFromSampleTen) {
  SynthEngine engine;
  makeAudible(engine);
  const StereoBlock block = renderBlock(engine, {noteOnAt(10, 60, 127)}, kBlock);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(block.left[i], 0.0f) << i;
  EXPECT_NE(block.left[10], 0.0f);
}

// A change in the middle of a sounding block: samples before the event are
// those of the unchanged engine, the sample at its frame is already changed.
TEST(Renderer, EventAtFrameTenChangesSampleTenNotNine) {
  SynthEngine plain;
  makeAudible(plain);
  SynthEngine changed;
  makeAudible(changed);
  RenderCursor plainCursor, changedCursor;
  renderBlock(plain, {noteOnAt(0, 60, 127)}, plainCursor, kBlock);
  renderBlock(changed, {noteOnAt(0, 60, 127)}, changedCursor, kBlock);

  const StereoBlock reference = renderBlock(plain, {}, kBlock);
  const StereoBlock block = renderBlock(changed, {controllerAt(10, 7, 0)}, kBlock);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(block.left[i], reference.left[i]) << i;
  ASSERT_NE(reference.left[10], 0.0f);
  EXPECT_EQ(block.left[10], 0.0f);
}

TEST(Renderer, EventsAtOneFramePlayBackToBack) {
  SynthEngine engine;
  makeAudible(engine);
  const StereoBlock block =
      renderBlock(engine, {noteOnAt(5, 60, 127), controllerAt(5, 7, 0)}, kBlock);
  EXPECT_FALSE(engine.voice(0).isFree());
  for (int i = 0; i < kBlock; ++i) EXPECT_EQ(block.left[i], 0.0f) << i;
  EXPECT_EQ(engine.voice(0).lfoCounter, kBlock - 5.0);
}

// An event at or past the block's end plays right after the block's last
// sample, and the loop ends there: the events behind it wait for the next
// call and keep their positions counted from the start of their list.
TEST(Renderer, EventsPastTheBlockEndWaitForTheNextBlock) {
  const std::vector<MidiEvent> events{noteOnAt(100, 60, 127), noteOnAt(101, 64, 127)};
  SynthEngine engine;
  makeAudible(engine);
  RenderCursor cursor;
  const StereoBlock first = renderBlock(engine, events, cursor, kBlock);
  for (int i = 0; i < kBlock; ++i) EXPECT_EQ(first.left[i], 0.0f);
  EXPECT_FALSE(engine.voice(0).isFree());
  EXPECT_TRUE(engine.voice(1).isFree());
  EXPECT_EQ(cursor.nextEvent, 1);
  EXPECT_EQ(cursor.eventFramePos, kBlock);

  // The same first note alone, for comparison.
  SynthEngine single;
  makeAudible(single);
  RenderCursor singleCursor;
  const std::vector<MidiEvent> firstOnly{events[0]};
  renderBlock(single, firstOnly, singleCursor, kBlock);

  const StereoBlock second = renderBlock(engine, events, cursor, kBlock);
  const StereoBlock reference = renderBlock(single, firstOnly, singleCursor, kBlock);
  for (int i = 0; i < 37; ++i) EXPECT_EQ(second.left[i], reference.left[i]) << i;
  EXPECT_NE(second.left[37], reference.left[37]);  // frame 101 of the list
  EXPECT_FALSE(engine.voice(1).isFree());
  EXPECT_EQ(cursor.nextEvent, 2);
  EXPECT_EQ(cursor.eventFramePos, 2 * kBlock);
}

TEST(Renderer, EventBehindTheRenderedFramesPlaysAtOnce) {
  SynthEngine engine;
  makeAudible(engine);
  RenderCursor cursor;
  cursor.eventFramePos = 50;
  const StereoBlock block = renderBlock(engine, {noteOnAt(10, 60, 127)}, cursor, kBlock);
  EXPECT_NE(block.left[0], 0.0f);
  EXPECT_EQ(cursor.nextEvent, 1);
}

TEST(Renderer, ZeroFrameBlockWritesNothingAndPlaysNothing) {
  SynthEngine engine;
  makeAudible(engine);
  RenderCursor cursor;
  const std::vector<MidiEvent> events{noteOnAt(0, 60, 127)};
  float left = 7.0f, right = 7.0f;
  engine.render(events.data(), 1, cursor, &left, &right, 0);
  engine.render(events.data(), 1, cursor, &left, &right, -5);
  EXPECT_EQ(left, 7.0f);
  EXPECT_EQ(right, 7.0f);
  EXPECT_EQ(cursor.nextEvent, 0);
  EXPECT_TRUE(engine.voice(0).isFree());
}

TEST(Renderer, OneFrameBlockPlaysItsEventsBeforeItsSample) {
  SynthEngine engine;
  makeAudible(engine);
  const StereoBlock block = renderBlock(engine, {noteOnAt(0, 60, 127), noteOnAt(0, 64, 127)}, 1);
  EXPECT_NE(block.left[0], 0.0f);
  EXPECT_FALSE(engine.voice(1).isFree());
  EXPECT_EQ(engine.voice(0).lfoCounter, 1.0);
}

TEST(Renderer, MissingEventListIsAnEmptyOne) {
  SynthEngine engine;
  makeAudible(engine);
  RenderCursor cursor;
  std::vector<float> left(kBlock), right(kBlock);
  engine.render(nullptr, 5, cursor, left.data(), right.data(), kBlock);
  EXPECT_EQ(cursor.nextEvent, 0);
  EXPECT_TRUE(engine.voice(0).isFree());
}

// The mono mix goes to both sides through the output stage's gains.
TEST(Renderer, OutputsAreTheMixTimesTheOutputStageGains) {
  SynthEngine engine;
  makeAudible(engine);
  const StereoBlock centre = renderBlock(engine, {noteOnAt(0, 60, 127)}, kBlock);
  for (int i = 0; i < kBlock; ++i) EXPECT_EQ(centre.left[i], centre.right[i]);
  const StereoBlock hardLeft = renderBlock(engine, {controllerAt(0, 10, 0)}, kBlock);
  bool heard = false;
  for (int i = 0; i < kBlock; ++i) {
    EXPECT_EQ(hardLeft.right[i], 0.0f);
    heard = heard || hardLeft.left[i] != 0.0f;
  }
  EXPECT_TRUE(heard);
}

// No pending event lies beyond INT32_MAX frames, so a long-played list
// saturates its frame count rather than overflowing it.
TEST(Renderer, FramePositionSaturatesInsteadOfOverflowing) {
  SynthEngine engine;
  makeAudible(engine);
  RenderCursor cursor;
  cursor.eventFramePos = std::numeric_limits<int32_t>::max() - 10;
  renderBlock(engine, {}, cursor, kBlock);
  EXPECT_EQ(cursor.eventFramePos, std::numeric_limits<int32_t>::max());

  RenderCursor farCursor;
  farCursor.eventFramePos = std::numeric_limits<int32_t>::max();
  const StereoBlock block =
      renderBlock(engine, {noteOnAt(std::numeric_limits<int32_t>::min(), 60, 127)}, farCursor, kBlock);
  EXPECT_EQ(farCursor.nextEvent, 1);
  EXPECT_NE(block.left[0], 0.0f);
}

TEST(Renderer, HugeMixIsClampedToTheSixteenBitRange) {
  SynthEngine engine;
  engine.setFilter(0.999f, 0.999f);
  engine.setWaveform(0.0f);
  engine.setEnvelope(0.0f, 1e6f, 0.0f, 1e6f, 0.0f);
  const StereoBlock block = renderBlock(engine, {noteOnAt(0, 100, 127)}, 2000);
  float highest = 0.0f, lowest = 0.0f;
  for (float s : block.left) {
    highest = std::max(highest, s);
    lowest = std::min(lowest, s);
  }
  EXPECT_EQ(highest, 32767.0f);
  EXPECT_EQ(lowest, -32768.0f);
}
