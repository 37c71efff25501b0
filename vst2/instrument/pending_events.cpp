#include "vst2/instrument/pending_events.h"

#include <new>

PendingEvents::~PendingEvents() { delete[] buffer; }

void PendingEvents::take(const VstEvents* list) {
  renderCursor = RenderCursor{};
  count = 0;
  if (!list || list->numEvents <= 0) return;

  int32_t listed = list->numEvents;
  if (capacity < listed) {
    // Sized for the whole list, MIDI or not. When the memory cannot be had the
    // old buffer stays and takes as many events as fit.
    MidiEvent* larger = new (std::nothrow) MidiEvent[listed];
    if (larger) {
      delete[] buffer;
      buffer = larger;
      capacity = listed;
    }
  }

  VstEvent* const* entries = eventEntries(list);
  for (int32_t i = 0; i < listed && count < capacity; ++i) {
    const VstEvent* event = entries[i];
    if (!event || event->type != kVstMidiType) continue;
    const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
    MidiEvent& copy = buffer[count++];
    copy.deltaFrames = midi->deltaFrames;
    copy.status = static_cast<uint8_t>(midi->midiData[0]);
    copy.data1 = static_cast<uint8_t>(midi->midiData[1]);
    copy.data2 = static_cast<uint8_t>(midi->midiData[2]);
  }
}
