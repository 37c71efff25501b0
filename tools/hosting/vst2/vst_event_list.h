// The VstEvents list a host hands to effProcessEvents before a block: a count,
// a reserved word and an array of pointers to 32-byte MIDI event records.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/files/midi_schedule.h"
#include "vst2/interface/vst2_abi.h"

class VstEventList {
 public:
  // Makes room for `count` events, so that fills of no more allocate nothing.
  void reserve(size_t count);
  // Fills the list with events [first, last), each at its frame minus blockStart.
  // The list is valid until the next fill.
  void fill(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart);
  VstEvents* list() { return reinterpret_cast<VstEvents*>(storage_.data()); }

 private:
  std::vector<VstMidiEvent> records_;
  std::vector<VstIntPtr> storage_;  // the header words followed by the pointers
};
