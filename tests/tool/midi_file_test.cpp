// The Standard MIDI File reader: what it keeps of valid files, and the byte
// offset and reason it reports for broken ones. Exact: every expectation is a
// whole number read back from bytes the test wrote.
#include <gtest/gtest.h>

#include "midi_bytes.h"
#include "tools/files/midi_file.h"

namespace {

using Kind = MidiFileEvent::Kind;

// Offsets in a one-track file: 14 header bytes, then 8 bytes of chunk header.
constexpr uint32_t kFirstTrackData = 22;

void expectChannel(const MidiFileEvent& event, uint64_t tick, std::initializer_list<uint8_t> bytes) {
  EXPECT_EQ(event.kind, Kind::Channel);
  EXPECT_EQ(event.tick, tick);
  ASSERT_EQ(event.size, bytes.size());
  size_t i = 0;
  for (uint8_t byte : bytes) EXPECT_EQ(event.bytes[i++], byte) << "byte " << i - 1 << " at tick " << tick;
}

// Parses bytes that must fail, and checks where and why.
void expectError(const Bytes& bytes, size_t offset, const std::string& reason) {
  try {
    parseMidiFile(bytes);
    FAIL() << "accepted a broken file; expected '" << reason << "'";
  } catch (const MidiFileError& error) {
    EXPECT_EQ(error.offset(), offset) << error.what();
    EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos) << "one line: " << error.what();
  }
}

TEST(MidiFileReading, FormatZeroGivesChannelMessagesAtAbsoluteTicks) {
  const MidiFile file = parseMidiFile(midiFile(
      0, 96, {TrackBytes().event(0, {0x90, 60, 100}).event(96, {0x80, 60, 64}).event(200, {0xE3, 0, 127}).end(4)}));
  EXPECT_EQ(file.format, 0);
  EXPECT_FALSE(file.division.smpte);
  EXPECT_EQ(file.division.ticksPerQuarter, 96u);
  ASSERT_EQ(file.tracks.size(), 1u);
  const auto& events = file.tracks[0].events;
  ASSERT_EQ(events.size(), 4u);
  expectChannel(events[0], 0, {0x90, 60, 100});
  expectChannel(events[1], 96, {0x80, 60, 64});
  expectChannel(events[2], 296, {0xE3, 0, 127});
  EXPECT_EQ(events[3].kind, Kind::EndOfTrack);
  EXPECT_EQ(events[3].tick, 300u);
  EXPECT_EQ(events[0].fileOffset, kFirstTrackData + 1);  // after its one-byte delta time
}

TEST(MidiFileReading, RunningStatusRepeatsTheLastStatusForThreeAndTwoByteMessages) {
  const MidiFile file = parseMidiFile(midiFile(0, 96,
                                               {TrackBytes()
                                                    .event(0, {0x91, 60, 100})
                                                    .event(10, {64, 90})  // running note-on
                                                    .event(0, {67, 0})    // velocity 0, still a note-on
                                                    .event(5, {0xC2, 7})
                                                    .event(5, {9})  // running program change: one data byte
                                                    .end()}));
  const auto& events = file.tracks[0].events;
  ASSERT_EQ(events.size(), 6u);
  expectChannel(events[0], 0, {0x91, 60, 100});
  expectChannel(events[1], 10, {0x91, 64, 90});
  expectChannel(events[2], 10, {0x91, 67, 0});
  expectChannel(events[3], 15, {0xC2, 7});
  expectChannel(events[4], 20, {0xC2, 9});
}

TEST(MidiFileReading, RunningStatusSurvivesMetaAndSystemExclusiveEvents) {
  const MidiFile file = parseMidiFile(midiFile(0, 96,
                                               {TrackBytes()
                                                    .event(0, {0xB0, 7, 100})
                                                    .event(0, {0xFF, 0x01, 0x02, 'h', 'i'})
                                                    .event(0, {10, 20})
                                                    .event(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7})
                                                    .event(0, {1, 64})
                                                    .end()}));
  const auto& events = file.tracks[0].events;
  ASSERT_EQ(events.size(), 4u);  // the text and system-exclusive events are not kept
  expectChannel(events[1], 0, {0xB0, 10, 20});
  expectChannel(events[2], 0, {0xB0, 1, 64});
}

TEST(MidiFileReading, TempoEventsKeepTheirTickAndMicroseconds) {
  const MidiFile file =
      parseMidiFile(midiFile(0, 96, {TrackBytes().tempo(0, 600000).event(48, {0x90, 60, 1}).tempo(48, 250000).end()}));
  const auto& events = file.tracks[0].events;
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, Kind::Tempo);
  EXPECT_EQ(events[0].tempo, 600000u);
  EXPECT_EQ(events[2].kind, Kind::Tempo);
  EXPECT_EQ(events[2].tick, 96u);
  EXPECT_EQ(events[2].tempo, 250000u);
}

TEST(MidiFileReading, SmpteDivisionGivesFramesPerSecondAndTicksPerFrame) {
  // The high byte is minus the frame rate, the low byte the ticks per frame.
  const MidiFile file = parseMidiFile(midiFile(0, 0xE728, {TrackBytes().end()}));  // -25, 40
  EXPECT_TRUE(file.division.smpte);
  EXPECT_EQ(file.division.framesPerSecond, 25u);
  EXPECT_EQ(file.division.ticksPerFrame, 40u);
  const MidiFile dropFrame = parseMidiFile(midiFile(0, 0xE302, {TrackBytes().end()}));  // -29, 2
  EXPECT_EQ(dropFrame.division.framesPerSecond, 29u);
  EXPECT_EQ(dropFrame.division.ticksPerFrame, 2u);
}

TEST(MidiFileReading, FormatOneReadsEveryTrackAndSkipsUnknownChunks) {
  const Bytes alien = Bytes{'X', 'y', 'z', 'w'} + bigEndian(3, 4) + Bytes{1, 2, 3};
  const Bytes file = headerChunk(1, 2, 480) + TrackBytes().tempo(0, 400000).end().chunk() + alien +
                     TrackBytes().event(7, {0x90, 1, 2}).end().chunk();
  const MidiFile parsed = parseMidiFile(file);
  EXPECT_EQ(parsed.format, 1);
  ASSERT_EQ(parsed.tracks.size(), 2u);
  EXPECT_EQ(parsed.tracks[0].events[0].kind, Kind::Tempo);
  expectChannel(parsed.tracks[1].events[0], 7, {0x90, 1, 2});
}

TEST(MidiFileReading, LongerHeaderAndBytesAfterEndOfTrackAreIgnored) {
  Bytes header = Bytes{'M', 'T', 'h', 'd'} + bigEndian(8, 4) + bigEndian(0, 2) + bigEndian(1, 2) + bigEndian(96, 2) +
                 Bytes{0xAA, 0xBB};
  const Bytes track = TrackBytes().event(0, {0x90, 60, 1}).end().events() + Bytes{0x00, 0x90, 61, 1};
  const Bytes file = header + Bytes{'M', 'T', 'r', 'k'} + bigEndian(static_cast<uint32_t>(track.size()), 4) + track;
  const MidiFile parsed = parseMidiFile(file);
  ASSERT_EQ(parsed.tracks[0].events.size(), 2u);
  EXPECT_EQ(parsed.tracks[0].events[1].kind, Kind::EndOfTrack);
}

TEST(MidiFileReading, VariableLengthNumbersUseUpToFourBytes) {
  const MidiFile file = parseMidiFile(midiFile(0, 96, {TrackBytes().event(0x0FFFFFFF, {0x90, 60, 1}).end(0x80)}));
  EXPECT_EQ(file.tracks[0].events[0].tick, 0x0FFFFFFFu);
  EXPECT_EQ(file.tracks[0].events[1].tick, 0x0FFFFFFFu + 0x80u);
}

TEST(MidiFileRefusal, FormatTwoIsNotSupported) { expectError(midiFile(2, 96, {TrackBytes().end()}), 8, "format 2"); }

TEST(MidiFileRefusal, BrokenHeadersNameTheirByte) {
  const Bytes good = midiFile(0, 96, {TrackBytes().end()});
  expectError(Bytes(good.begin(), good.begin() + 10), 10, "ends inside the MThd header");
  expectError(Bytes{}, 0, "ends inside the MThd header");
  expectError(Bytes{'R', 'I', 'F', 'F'} + Bytes(good.begin() + 4, good.end()), 0, "not a Standard MIDI File");
  expectError(Bytes{'M', 'T', 'h', 'd'} + bigEndian(4, 4) + Bytes(8, 0), 4, "header length 4 is too short");
  expectError(midiFile(3, 96, {TrackBytes().end()}), 8, "unknown format 3");
  expectError(headerChunk(0, 0, 96), 10, "announces no tracks");
  expectError(midiFile(0, 96, {TrackBytes().end(), TrackBytes().end()}), 10, "format 0 holds one track");
}

TEST(MidiFileRefusal, ImpossibleDivisionsAreRefused) {
  expectError(midiFile(0, 0, {TrackBytes().end()}), 12, "division of 0 ticks per quarter note");
  expectError(midiFile(0, 0xE700, {TrackBytes().end()}), 13, "0 ticks per frame");  // -25 frames per second
  expectError(midiFile(0, 0xE528, {TrackBytes().end()}), 12, "27 frames per second");
}

TEST(MidiFileRefusal, ChunkLengthBeyondTheEndIsRefused) {
  Bytes file = midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 1}).end()});
  const Bytes length = bigEndian(999999, 4);
  std::copy(length.begin(), length.end(), file.begin() + 18);
  expectError(file, 14, "chunk length 999999 runs past the end of the file");
}

TEST(MidiFileRefusal, MissingTracksAndTruncatedChunkHeadersAreRefused) {
  const Bytes oneTrack = TrackBytes().end().chunk();
  expectError(headerChunk(1, 2, 96) + oneTrack, 14 + oneTrack.size(), "file ends before track 2 of 2");
  expectError(headerChunk(1, 2, 96) + oneTrack + Bytes{'M', 'T'}, 14 + oneTrack.size(),
              "ends inside the chunk header of track 2 of 2");
}

TEST(MidiFileRefusal, TrackWithoutEndOfTrackIsRefused) {
  const TrackBytes track = TrackBytes().event(0, {0x90, 60, 100}).event(10, {0x80, 60, 0});
  expectError(midiFile(0, 96, {track}), kFirstTrackData + track.events().size(),
              "track 1 ends without an end-of-track event");
}

TEST(MidiFileRefusal, TrackEndingInsideAnEventIsRefused) {
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0x90, 60})}), kFirstTrackData + 3,
              "track 1 ends inside a channel message");
}

TEST(MidiFileRefusal, VariableLengthNumberOfFiveBytesIsRefused) {
  // The second delta time starts after the first event's four bytes and runs on for five.
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 1, 0x81, 0x82, 0x83, 0x84, 0x05, 0x80, 60, 0}).end()}),
              kFirstTrackData + 4, "bad variable-length number");
}

TEST(MidiFileRefusal, BadBytesInsideEventsNameTheirOffset) {
  expectError(midiFile(0, 96, {TrackBytes().event(0, {60, 100}).end()}), kFirstTrackData + 1,
              "data byte 0x3C without a status byte");
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 0x90}).end()}), kFirstTrackData + 3,
              "data byte 0x90 of status 0x90 has its top bit set");
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0xF8}).end()}), kFirstTrackData + 1,
              "status byte 0xF8 is not allowed");
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0xFF, 0x51, 0x02, 0x07, 0xA1}).end()}), kFirstTrackData + 4,
              "tempo event of 2 bytes");
  expectError(midiFile(0, 96, {TrackBytes().tempo(0, 0).end()}), kFirstTrackData + 4,
              "tempo of 0 microseconds per quarter note");
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0xFF, 0x01, 0x7F, 'x'})}), kFirstTrackData + 3,
              "meta event length 127 runs past the end of track 1");
  expectError(midiFile(0, 96, {TrackBytes().event(0, {0xF0, 0x20, 0x01})}), kFirstTrackData + 2,
              "system-exclusive event length 32 runs past the end of track 1");
}

}  // namespace
