#include "tools/hosting/clap/clap_events.h"

#include "tools/files/midi_messages.h"

namespace {

clap_event_header_t header(uint32_t size, uint32_t time, uint16_t type) {
  return clap_event_header_t{size, time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

constexpr double kMostVelocity = 127.0;

}  // namespace

ClapInputEvents::ClapInputEvents() {
  list_.ctx = this;
  list_.size = [](const clap_input_events_t* list) {
    return static_cast<uint32_t>(static_cast<const ClapInputEvents*>(list->ctx)->count_);
  };
  list_.get = [](const clap_input_events_t* list, uint32_t index) -> const clap_event_header_t* {
    const auto& self = *static_cast<const ClapInputEvents*>(list->ctx);
    return index < self.count_ ? &self.slots_[index].header : nullptr;
  };
}

void ClapInputEvents::reserve(size_t count) {
  if (slots_.size() < count) slots_.resize(count);
}

ClapInputEvents::Slot& ClapInputEvents::append() {
  if (count_ == slots_.size()) slots_.resize(slots_.empty() ? 64 : 2 * slots_.size());
  return slots_[count_++];
}

void ClapInputEvents::addSongEvent(const ScheduledEvent& event, uint32_t time, NoteInput input) {
  const uint8_t kind = event.bytes[0] & 0xF0;
  const bool note = kind == kNoteOn || kind == kNoteOff;
  Slot& slot = append();
  if (!input.clapNotes || !note) {
    slot.midi = clap_event_midi_t{header(sizeof(clap_event_midi_t), time, CLAP_EVENT_MIDI), input.port, {}};
    for (int i = 0; i < event.size && i < 3; ++i) slot.midi.data[i] = event.bytes[i];
    return;
  }
  const bool released = kind == kNoteOff || event.bytes[2] == 0;
  const uint8_t velocity = kind == kNoteOn && released ? kDefaultReleaseVelocity : event.bytes[2];
  slot.note = clap_event_note_t{header(sizeof(clap_event_note_t), time, released ? CLAP_EVENT_NOTE_OFF : CLAP_EVENT_NOTE_ON),
                                -1,
                                static_cast<int16_t>(input.port),
                                static_cast<int16_t>(event.bytes[0] & 0x0F),
                                static_cast<int16_t>(event.bytes[1]),
                                velocity / kMostVelocity};
}

void ClapInputEvents::addParameterValue(clap_id id, void* cookie, double value, uint32_t time) {
  append().parameter = clap_event_param_value_t{
      header(sizeof(clap_event_param_value_t), time, CLAP_EVENT_PARAM_VALUE), id, cookie, -1, -1, -1, -1, value};
}

const clap_output_events_t* ignoredOutputEvents() {
  static const clap_output_events_t events = {nullptr,
                                              [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
  return &events;
}
