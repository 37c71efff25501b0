#include "tools/audio/held_notes.h"

#include "tools/files/midi_messages.h"

namespace {

constexpr uint8_t kAllNotesOff = 123;

}  // namespace

void HeldNotes::follow(const ScheduledEvent& event) {
  const uint8_t kind = event.bytes[0] & 0xF0;
  if (kind != kNoteOn && kind != kNoteOff) return;
  uint8_t& held = held_[(event.bytes[0] & 0x0F) * kNotes + event.bytes[1]];
  // A note-on of velocity 0 has been made a note-off before it gets here.
  if (kind == kNoteOn && held < UINT8_MAX) {
    ++held;
    count_.fetch_add(1, std::memory_order_relaxed);
  } else if (kind == kNoteOff && held > 0) {
    --held;
    count_.fetch_sub(1, std::memory_order_relaxed);
  }
}

void HeldNotes::releaseAll(EventSplitter& events, int32_t periodFrames) {
  for (int channel = 0; channel < kChannels; ++channel) {
    events.add(channelMessage(static_cast<uint8_t>(kControlChange | channel), kAllNotesOff, 0), periodFrames);
  }
  for (int channel = 0; channel < kChannels; ++channel) {
    for (int note = 0; note < kNotes; ++note) {
      for (uint8_t& held = held_[channel * kNotes + note]; held > 0; --held) {
        events.add(channelMessage(static_cast<uint8_t>(kNoteOff | channel), static_cast<uint8_t>(note), kDefaultReleaseVelocity),
                   periodFrames);
      }
    }
  }
  count_.store(0, std::memory_order_relaxed);
}
