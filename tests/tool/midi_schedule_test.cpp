// Placing MIDI events on the output's frame grid: F = floor(t * rate + 1/2)
// with t in seconds after the tempo map. Exact: every expected frame below is
// worked out by hand from the file's numbers, and the schedule is integer
// arithmetic, so a frame off by one fails.
#include <gtest/gtest.h>

#include <vector>

#include "midi_bytes.h"
#include "tools/files/midi_file.h"
#include "tools/files/midi_schedule.h"

namespace {

std::vector<int64_t> framesOf(const MidiSchedule& schedule) {
  std::vector<int64_t> frames;
  for (const ScheduledEvent& event : schedule.events) frames.push_back(event.frame);
  return frames;
}

MidiSchedule schedule(const Bytes& file, int32_t rate) { return scheduleMidiFile(parseMidiFile(file), rate); }

TEST(MidiSchedule, DefaultTempoIsHalfASecondPerQuarterNote) {
  // 480 ticks per quarter at 0.5 s: a tick is 45.9375 frames at 44100 Hz.
  const MidiSchedule result = schedule(midiFile(0, 480,
                                                {TrackBytes()
                                                     .event(1, {0x90, 60, 1})    // 45.9375 -> 46
                                                     .event(2, {0x90, 61, 1})    // tick 3: 137.8125 -> 138
                                                     .event(477, {0x90, 62, 1})  // tick 480: 22050
                                                     .end(480)}),                // tick 960: 44100
                                       44100);
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{46, 138, 22050}));
  EXPECT_EQ(result.lastFrame, 44100);
}

TEST(MidiSchedule, ExactHalvesRoundUp) {
  // 8 ticks per quarter: a tick is 2756.25 frames at 44100 Hz.
  const MidiSchedule result = schedule(
      midiFile(0, 8, {TrackBytes().event(1, {0x90, 1, 1}).event(1, {0x90, 2, 1}).event(1, {0x90, 3, 1}).end()}), 44100);
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{2756, 5513, 8269}));  // 2756.25, 5512.5, 8268.75
}

TEST(MidiSchedule, TempoChangeGovernsTheTimeAfterItsTick) {
  // 100 ticks per quarter at 48000 Hz: 240 frames per tick at 500000 us, 120 at 250000 us.
  const MidiSchedule result = schedule(midiFile(0, 100,
                                                {TrackBytes()
                                                     .event(100, {0x90, 60, 1})  // 0.5 s
                                                     .tempo(0, 250000)
                                                     .event(0, {0x80, 60, 0})   // same tick, same time
                                                     .event(50, {0x90, 62, 1})  // 0.5 + 0.125 s
                                                     .tempo(50, 1000000)        // tick 200: 0.75 s
                                                     .event(1, {0x80, 62, 0})   // + 0.01 s
                                                     .end()}),
                                       48000);
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{24000, 24000, 30000, 36480}));
}

TEST(MidiSchedule, TempoInOneTrackTimesTheOthers) {
  const Bytes file = headerChunk(1, 2, 96) + TrackBytes().tempo(96, 1000000).end().chunk() +
                     TrackBytes().event(192, {0x90, 60, 1}).end().chunk();
  // 96 ticks at 0.5 s per quarter, then 96 ticks at 1 s: 1.5 s.
  EXPECT_EQ(framesOf(schedule(file, 1000)), (std::vector<int64_t>{1500}));
}

TEST(MidiSchedule, EqualTimesKeepTrackOrderThenFileOrder) {
  const Bytes file = headerChunk(1, 2, 96) +
                     TrackBytes().event(10, {0x90, 1, 1}).event(0, {0x90, 2, 1}).event(5, {0x90, 3, 1}).end().chunk() +
                     TrackBytes().event(5, {0x90, 4, 1}).event(5, {0x90, 5, 1}).event(0, {0x90, 6, 1}).end().chunk();
  const MidiSchedule result = schedule(file, 96 * 2);  // one frame per tick
  std::vector<int> notes;
  for (const ScheduledEvent& event : result.events) notes.push_back(event.bytes[1]);
  EXPECT_EQ(notes, (std::vector<int>{4, 1, 2, 5, 6, 3}));
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{5, 10, 10, 10, 10, 15}));
}

TEST(MidiSchedule, ChannelMessagesPassWithTheirBytesAndSize) {
  const MidiSchedule result = schedule(
      midiFile(0, 96, {TrackBytes().event(0, {0xC5, 3}).event(0, {0xB2, 10, 0}).event(0, {0xE1, 0x12, 0x40}).end()}),
      44100);
  ASSERT_EQ(result.events.size(), 3u);
  EXPECT_EQ(result.events[0].size, 2);
  EXPECT_EQ(result.events[0].bytes[0], 0xC5);
  EXPECT_EQ(result.events[0].bytes[1], 3);
  EXPECT_EQ(result.events[1].size, 3);
  EXPECT_EQ(result.events[1].bytes[2], 0);
  EXPECT_EQ(result.events[2].bytes[1], 0x12);
  EXPECT_EQ(result.events[2].bytes[2], 0x40);
}

TEST(MidiSchedule, SmpteTicksAreFixedFractionsOfASecondWhateverTheTempo) {
  // 25 frames per second, 40 ticks per frame: one tick is 1 ms.
  const MidiSchedule result = schedule(
      midiFile(0, 0xE728, {TrackBytes().tempo(0, 100000).event(1, {0x90, 1, 1}).event(4, {0x90, 2, 1}).end(995)}),
      44100);
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{44, 221}));  // 44.1, 220.5
  EXPECT_EQ(result.lastFrame, 44100);
}

TEST(MidiSchedule, Smpte29MeansThirtyFramesPer1001Milliseconds) {
  // One tick per frame: a tick is 1.001 / 30 s, 1601.6 frames at 48000 Hz.
  const MidiSchedule result =
      schedule(midiFile(0, 0xE301, {TrackBytes().event(1, {0x90, 1, 1}).event(29, {0x90, 2, 1}).end()}), 48000);
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{1602, 48048}));
}

TEST(MidiSchedule, LongSongsKeepExactFrames) {
  // One tick per quarter at the slowest tempo: 5000 ticks are 83886.075 s,
  // 3699375907.5 frames at 44100 Hz, far beyond 32-bit products.
  const MidiSchedule result =
      schedule(midiFile(0, 1, {TrackBytes().tempo(0, 0xFFFFFF).event(5000, {0x90, 1, 1}).end()}), 44100);
  EXPECT_EQ(framesOf(result), (std::vector<int64_t>{3699375908}));
}

TEST(MidiSchedule, SongsLongerThanADayAreRefusedAtTheLateEvent) {
  const Bytes file = midiFile(0, 1, {TrackBytes().tempo(0, 0xFFFFFF).event(6000, {0x90, 1, 1}).end()});
  try {
    schedule(file, 44100);
    FAIL() << "a 28-hour song was accepted";
  } catch (const MidiFileError& error) {
    EXPECT_EQ(error.offset(), 22u + 7u + 2u) << error.what();  // after the tempo event and a two-byte delta
  }
}

TEST(MidiSchedule, LastFrameIsTheLatestEndOfTrack) {
  const Bytes file =
      headerChunk(1, 2, 96) + TrackBytes().event(96, {0x90, 1, 1}).end(96).chunk() + TrackBytes().end(480).chunk();
  EXPECT_EQ(schedule(file, 1000).lastFrame, 2500);
}

// Times given in seconds as doubles: to the nanosecond, then by the file's
// rule, so a double lands on the frame of the decimal it prints as.
TEST(MidiSchedule, SecondsAsDoublesLandOnTheFramesOfTheirDecimals) {
  const struct {
    double seconds;
    int32_t rate;
    int64_t frame;
  } cases[] = {
      {3.0, 44100, 132300},     {1.0 / 3.0, 96000, 32000}, {0.0045, 1000, 5},  // the double is below 4.5 frames
      {0.0044999, 1000, 4},     {2.0 / 3.0, 44100, 29400}, {4e-10, 768000, 0},
      {86400.0, 768000, 66355200000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(frameAt(nanosecondsOfSeconds(c.seconds), c.rate), c.frame) << c.seconds << " s at " << c.rate;
  }
}

}  // namespace
