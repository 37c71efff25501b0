// Turning a MIDI file's ticks into output frames.
//
// An event at time t seconds (tempo map applied; 500000 microseconds per
// quarter note until the first tempo event) lands on frame
// F = floor(t * rate + 1/2). Times are kept as exact fractions of a second in
// integers, so the frames are the same on every platform and never drift.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/files/midi_file.h"

// Songs longer than this are refused as corrupt rather than rendered for days.
constexpr int64_t kMaxSongSeconds = 24 * 60 * 60;

// A channel message placed on the frame grid.
struct ScheduledEvent {
  int64_t frame = 0;
  uint8_t size = 0;
  uint8_t bytes[3] = {};
};

struct MidiSchedule {
  // Every channel message of the file, tracks merged by time; equal times keep
  // track order, then file order. Frames never decrease along the list.
  std::vector<ScheduledEvent> events;
  // The frame of the file's last event of any kind, end-of-track included.
  int64_t lastFrame = 0;
};

// Throws MidiFileError for an event more than kMaxSongSeconds into the song.
MidiSchedule scheduleMidiFile(const MidiFile& file, int32_t sampleRate);

// The file at `path`, read and scheduled. Throws ToolError (kExitBadInput)
// naming the file, and the byte where a corrupt one goes wrong.
MidiSchedule readMidiSchedule(const std::string& path, int32_t sampleRate);

// The frame a time of `nanoseconds` lands on, by the same rule as a file's
// events: floor(t * rate + 1/2), exactly, for times up to kMaxSongSeconds.
int64_t frameAt(int64_t nanoseconds, int32_t sampleRate);

// A time in seconds given as a double, to the nearest nanosecond: the grain
// the command line reads times in, so that a double lands on the frame of
// the decimal it prints as (0.0045 s at 1000 Hz on frame 5, though the double
// lies just below 4.5 frames). For seconds from 0 to kMaxSongSeconds.
int64_t nanosecondsOfSeconds(double seconds);
