// MIDI channel messages as the tool reads them from files and from a live
// port, and as it makes them itself: the kinds by their status nibble, and
// how many data bytes each takes.
#pragma once

#include <cstdint>

#include "tools/files/midi_schedule.h"

enum MidiStatus : uint8_t {
  kNoteOff = 0x80,
  kNoteOn = 0x90,
  kControlChange = 0xB0,
  kProgramChange = 0xC0,
  kChannelPressure = 0xD0,
  kSystemMessage = 0xF0,  // and above: no channel message
};

// The release velocity of a keyboard that senses none, and the one a
// note-on of velocity 0 stands for.
constexpr uint8_t kDefaultReleaseVelocity = 64;

// Number of data bytes that follow a channel status byte.
inline int channelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == kProgramChange || kind == kChannelPressure ? 1 : 2;
}

// A three-byte channel message, at frame 0.
inline ScheduledEvent channelMessage(uint8_t status, uint8_t data1, uint8_t data2) {
  ScheduledEvent event;
  event.size = 3;
  event.bytes[0] = status;
  event.bytes[1] = data1;
  event.bytes[2] = data2;
  return event;
}
