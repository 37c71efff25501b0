// The events the plug-in sends its host from process or flush: notes that
// ended, and the gestures of the editor's knobs. A full list drops the
// event: nothing the plug-in sends is needed for the sound.
#pragma once

#include <cstdint>

#include "clap/interface/clap_abi.h"

/// A note as the host addressed it; -1 in any field is a wildcard.
struct NoteAddress {
  int32_t noteId;
  int16_t port;
  int16_t channel;
  int16_t key;
};

class EventOutput {
 public:
  /// Over the host's list, which may be null (nothing is sent then).
  explicit EventOutput(const clap_output_events_t* list) : list(list) {}

  void noteEnd(const NoteAddress& note, uint32_t frame) const;
  /// A user's whole adjustment of a parameter: its begin, the value, its end.
  void gesture(clap_id parameter, double value, uint32_t frame) const;

 private:
  void push(const clap_event_header_t& event) const;
  static clap_event_header_t header(uint32_t size, uint16_t type, uint32_t frame);

  const clap_output_events_t* list;
};
