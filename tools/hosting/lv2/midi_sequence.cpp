#include "tools/hosting/lv2/midi_sequence.h"

#include <lv2/midi/midi.h>

#include <cstring>

#include "tools/hosting/lv2/urid_map.h"

namespace {

// An event of up to eight bytes: its frame, its atom header and the bytes padded.
constexpr size_t kEventBytes = sizeof(LV2_Atom_Event) + sizeof(uint64_t);

}  // namespace

size_t MidiSequence::bytesFor(size_t events) { return sizeof(LV2_Atom_Sequence) + events * kEventBytes; }

MidiSequence::MidiSequence() : midiEvent_(mapUri(LV2_MIDI__MidiEvent)), sequenceType_(mapUri(LV2_ATOM__Sequence)) {
  resize(bytesFor(0));
}

void MidiSequence::resize(size_t bytes) {
  storage_.assign((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
  clear();
}

void MidiSequence::clear() {
  LV2_Atom_Sequence* events = sequence();
  events->atom.type = sequenceType_;
  events->atom.size = sizeof(LV2_Atom_Sequence_Body);
  events->body.unit = 0;  // frames
  events->body.pad = 0;
}

bool MidiSequence::append(int64_t frame, const uint8_t* bytes, uint32_t size) {
  LV2_Atom_Sequence* events = sequence();
  if (sizeof(LV2_Atom) + events->atom.size + kEventBytes > storage_.size() * sizeof(uint64_t)) return false;
  auto* event = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&events->body) + events->atom.size);
  event->time.frames = frame;
  event->body.type = midiEvent_;
  event->body.size = size;
  uint8_t* data = reinterpret_cast<uint8_t*>(event + 1);
  std::memset(data, 0, sizeof(uint64_t));
  std::memcpy(data, bytes, size);
  events->atom.size += static_cast<uint32_t>(kEventBytes);
  return true;
}
