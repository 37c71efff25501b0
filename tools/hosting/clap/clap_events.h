// The event lists of a process call: the host's input events for one block
// (the song's notes and MIDI, and parameter values), and the output list
// where the plug-in sends its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "clap/interface/clap_abi.h"
#include "tools/files/midi_schedule.h"

// Where and how a plug-in takes notes: its first note input, in CLAP's own
// note events or as MIDI.
struct NoteInput {
  uint16_t port = 0;
  bool clapNotes = true;
};

class ClapInputEvents {
 public:
  ClapInputEvents();
  ClapInputEvents(const ClapInputEvents&) = delete;
  ClapInputEvents& operator=(const ClapInputEvents&) = delete;

  // Room for `count` events, so that lists of no more allocate nothing.
  void reserve(size_t count);
  void clear() { count_ = 0; }
  size_t size() const { return count_; }
  // A song event at `time` within the block. A note-on or note-off goes as a
  // note event when the input takes CLAP notes (a note-on of velocity 0 as
  // the note-off MIDI means by it); anything else as a MIDI event.
  void addSongEvent(const ScheduledEvent& event, uint32_t time, NoteInput input);
  void addParameterValue(clap_id id, void* cookie, double value, uint32_t time);
  const clap_input_events_t* list() const { return &list_; }

 private:
  union Slot {
    clap_event_header_t header;
    clap_event_note_t note;
    clap_event_midi_t midi;
    clap_event_param_value_t parameter;
  };
  Slot& append();

  std::vector<Slot> slots_;
  size_t count_ = 0;
  clap_input_events_t list_;
};

// The plug-in's own events (parameter changes its editor made, voices that
// ended) are taken and let go: the tool records no automation and keeps no
// voices, and reads a parameter's value from the plug-in when it needs it.
const clap_output_events_t* ignoredOutputEvents();
