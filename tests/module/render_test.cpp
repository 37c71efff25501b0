// What a host hears: blocks rendered through the loaded module's record, with
// the events delivered before each block as a host delivers them. Exact
// comparisons: two instances fed the same history compute the same bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "played_instrument.h"

namespace {

TEST(EventTiming, ANoteAtFrameTenChangesSampleTenAndNotNine) {
  PlayedInstrument instrument;
  Block block = instrument.play({noteOn(10, 69)}, 64);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(block.left[i], 0.0f) << i;
  EXPECT_NE(block.left[10], 0.0f);
  EXPECT_EQ(block.left, block.right) << "centre pan sends the same mix to both sides";
}

TEST(EventTiming, TwoEventsAtOneFramePlayBackToBackBeforeThatSample) {
  // Released before its first sample, with a release time of 0, a note is never heard.
  PlayedInstrument instrument;
  EXPECT_TRUE(instrument.play({noteOn(5, 60), noteOff(5, 60)}, 64).silent());
}

TEST(EventTiming, AnEventPastTheBlockPlaysAfterItAndLaterOnesWait) {
  PlayedInstrument late;
  EXPECT_TRUE(late.play({noteOn(70, 60), noteOn(80, 64)}, 64).silent());
  Block lateSecond = late.render(64);

  PlayedInstrument onTime;
  onTime.render(64);
  Block onTimeSecond = onTime.play({noteOn(0, 60), noteOn(16, 64)}, 64);
  EXPECT_NE(lateSecond.left[0], 0.0f);
  EXPECT_EQ(lateSecond, onTimeSecond);
}

TEST(EventTiming, ANewListDropsWhatTheOldOneLeftUnplayed) {
  // The first event past the block plays at its end; the one behind it waits
  // and is lost when the next list arrives.
  PlayedInstrument dropped, single, kept;
  dropped.play({noteOn(64, 60), noteOn(80, 64)}, 64);
  single.play({noteOn(64, 60)}, 64);
  kept.play({noteOn(64, 60), noteOn(80, 64)}, 64);
  Block afterNewList = dropped.play({}, 64);
  EXPECT_EQ(afterNewList, single.play({}, 64));
  EXPECT_FALSE(afterNewList == kept.render(64));
}

TEST(Voices, TheNinthNoteFindsNoVoiceAndIsDropped) {
  std::vector<Midi> eight, nine;
  for (int note = 60; note < 68; ++note) eight.push_back(noteOn(0, note));
  nine = eight;
  nine.push_back(noteOn(0, 90));
  PlayedInstrument withEight, withNine;
  EXPECT_EQ(withEight.play(eight, 256), withNine.play(nine, 256));
}

TEST(Voices, TwoVoicesOnOneNoteNeedTwoNoteOffs) {
  PlayedInstrument instrument;
  instrument.play({noteOn(0, 60), noteOn(0, 60)}, 64);
  EXPECT_FALSE(instrument.play({noteOff(0, 60)}, 64).silent());
  instrument.play({noteOff(0, 60)}, 64);
  EXPECT_TRUE(instrument.render(64).silent());
}

TEST(Voices, ANoteOnWithVelocityZeroReleasesLikeANoteOff) {
  PlayedInstrument instrument;
  instrument.play({noteOn(0, 60)}, 64);
  instrument.play({noteOn(0, 60, 0)}, 64);
  EXPECT_TRUE(instrument.render(64).silent());
}

TEST(Controllers, VolumeZeroSilencesAndPanSilencesTheOtherSide) {
  PlayedInstrument quiet;
  EXPECT_TRUE(quiet.play({controller(0, 7, 0), noteOn(0, 60)}, 128).silent());

  PlayedInstrument left;
  Block leftBlock = left.play({controller(0, 10, 0), noteOn(0, 60)}, 128);
  EXPECT_TRUE(std::all_of(leftBlock.right.begin(), leftBlock.right.end(), [](float s) { return s == 0.0f; }));
  EXPECT_TRUE(std::any_of(leftBlock.left.begin(), leftBlock.left.end(), [](float s) { return s != 0.0f; }));

  PlayedInstrument right;
  Block rightBlock = right.play({controller(0, 10, 127), noteOn(0, 60)}, 128);
  EXPECT_TRUE(std::all_of(rightBlock.left.begin(), rightBlock.left.end(), [](float s) { return s == 0.0f; }));
  EXPECT_TRUE(std::any_of(rightBlock.right.begin(), rightBlock.right.end(), [](float s) { return s != 0.0f; }));
}

TEST(Controllers, AllNotesOffAndMonoModeReleaseEveryVoice) {
  for (int number : {123, 126}) {
    PlayedInstrument instrument;
    instrument.play({noteOn(0, 60), noteOn(0, 64), noteOn(0, 67)}, 64);
    instrument.play({controller(0, number, 0)}, 64);
    EXPECT_TRUE(instrument.render(64).silent()) << "controller " << number;
  }
}

TEST(Controllers, ANoteOnClearsThePitchBendOfEveryVoice) {
  // The bend and the note-on arrive at one frame, so no sample is ever bent:
  // neither the held note nor the new one.
  PlayedInstrument bentFirst, bentAfter, straight;
  for (PlayedInstrument* instrument : {&bentFirst, &bentAfter, &straight}) instrument->play({noteOn(0, 60)}, 100);
  Block unbent = straight.play({noteOn(0, 64)}, 256);
  EXPECT_EQ(bentFirst.play({bend(0, 0), noteOn(0, 64)}, 256), unbent);
  EXPECT_FALSE(bentAfter.play({noteOn(0, 64), bend(0, 0)}, 256) == unbent) << "a bend after the note-on is heard";
}

TEST(Programs, SetParameterIsInaudibleUntilTheProgramIsApplied) {
  PlayedInstrument changed, unchanged;
  changed.loaded.setParameter(6, 0.2f);
  EXPECT_EQ(changed.play({noteOn(0, 60)}, 256), unchanged.play({noteOn(0, 60)}, 256));

  changed.loaded.dispatch(effSetProgram, 0, 0);
  unchanged.loaded.dispatch(effSetProgram, 0, 0);
  EXPECT_FALSE(changed.play({noteOn(0, 64)}, 256) == unchanged.play({noteOn(0, 64)}, 256));
}

TEST(Accumulating, ProcessWritesZerosAndLeavesTheEventsPending) {
  PlayedInstrument instrument;
  instrument.send({noteOn(10, 69)});
  EXPECT_TRUE(instrument.render(128, false).silent());

  Block block = instrument.render(64);
  EXPECT_EQ(block.left[9], 0.0f);
  EXPECT_NE(block.left[10], 0.0f);
}

}  // namespace
