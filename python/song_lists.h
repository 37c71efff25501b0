// Songs given to render() as lists instead of a MIDI file: notes, or MIDI
// messages, at times in seconds. A time lands on the frame that a MIDI
// file's event at that time lands on (frameAt), so a list and the file
// written from it play the same frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/files/midi_schedule.h"

struct NoteInput {
  int64_t note = 0;
  int64_t velocity = 0;
  double start = 0.0;     // seconds
  double duration = 0.0;  // seconds
};

struct MessageInput {
  double time = 0.0;  // seconds
  std::string bytes;
};

// `seconds` in nanoseconds, exactly where it is a whole number of them.
// Throws ToolError (kExitBadInput) naming `what` for a time that is not a
// number from 0 to `maxSeconds`.
int64_t nanosecondsOf(double seconds, const std::string& what, int64_t maxSeconds);

// Each note a note-on at its start and a note-off (velocity 64) at its end,
// on channel 1. At one frame the notes that end come before those that
// begin, so a key played again is struck again, and a note's own end never
// before its start. Throws ToolError (kExitBadInput) naming the note.
MidiSchedule scheduleNotes(const std::vector<NoteInput>& notes, int32_t sampleRate);

// Channel messages (a status byte from 0x80 to 0xEF and its data bytes) in
// the order of their times; messages at one time keep the list's order.
// Throws ToolError (kExitBadInput) naming the message.
MidiSchedule scheduleMessages(const std::vector<MessageInput>& messages, int32_t sampleRate);
