// The MIDI events the host delivered for the coming blocks, and how far the
// renderer has played them.
#pragma once

#include <cstdint>

#include "engine/midi_event.h"
#include "engine/synth_engine.h"
#include "vst2/interface/vst2_abi.h"

class PendingEvents {
 public:
  PendingEvents() = default;
  PendingEvents(const PendingEvents&) = delete;
  PendingEvents& operator=(const PendingEvents&) = delete;
  ~PendingEvents();

  /// Replaces whatever was pending with the list's MIDI events, in list order,
  /// and restarts the render cursor. Grows the buffer to the longest list seen.
  void take(const VstEvents* list);

  const MidiEvent* events() const { return buffer; }
  int32_t eventCount() const { return count; }
  int32_t eventCapacity() const { return capacity; }
  RenderCursor& cursor() { return renderCursor; }

 private:
  MidiEvent* buffer = nullptr;
  int32_t capacity = 0;
  int32_t count = 0;
  RenderCursor renderCursor;
};
