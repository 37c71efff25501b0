// One pending MIDI event, as the instrument copies it from the host's list.
#pragma once

#include <cstdint>

struct MidiEvent {
  int32_t deltaFrames;  // frames from the start of its list
  uint8_t status, data1, data2;
};
