#include "tools/audio/event_splitter.h"

#include <algorithm>

#include "tools/files/midi_messages.h"

bool readChannelMessage(const uint8_t* bytes, size_t size, int channel, ScheduledEvent& message) {
  if (size == 0 || bytes[0] < kNoteOff || bytes[0] >= kSystemMessage) return false;
  const size_t expected = 1 + static_cast<size_t>(channelDataBytes(bytes[0]));
  if (size != expected) return false;
  for (size_t i = 1; i < size; ++i) {
    if (bytes[i] >= 0x80) return false;
  }
  if (channel != kAnyChannel && (bytes[0] & 0x0F) != channel) return false;
  message = ScheduledEvent{};
  message.size = static_cast<uint8_t>(size);
  std::copy(bytes, bytes + size, message.bytes);
  if ((bytes[0] & 0xF0) == kNoteOn && bytes[2] == 0) {
    message.bytes[0] = static_cast<uint8_t>(kNoteOff | (bytes[0] & 0x0F));
    message.bytes[2] = kDefaultReleaseVelocity;
  }
  return true;
}

void EventSplitter::add(ScheduledEvent event, int32_t periodFrames) {
  if (count_ == events_.size()) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  const int64_t earliest = count_ > 0 ? events_[count_ - 1].frame : 0;
  event.frame = std::max(earliest, std::min<int64_t>(event.frame, periodFrames - 1));
  events_[count_++] = event;
}
