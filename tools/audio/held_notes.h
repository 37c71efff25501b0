// The notes an instrument was told to start and not yet told to stop, kept
// by the audio thread so that play can end without leaving one sounding.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "tools/audio/event_splitter.h"

class HeldNotes {
 public:
  // Follows an event the instrument was handed.
  void follow(const ScheduledEvent& event);
  // Adds, at the start of a period, all-notes-off on every channel and a
  // note-off for each held note, and forgets them. All-notes-off go first:
  // should the notes not all find a place, they still end every note of an
  // instrument that obeys it.
  void releaseAll(EventSplitter& events, int32_t periodFrames);
  // How many are held; any thread may ask.
  int count() const { return count_.load(std::memory_order_relaxed); }

 private:
  static constexpr int kChannels = 16;
  static constexpr int kNotes = 128;
  // Note-ons without their note-off, per channel and note: two note-ons of
  // one key may take two voices, which then need two note-offs.
  std::array<uint8_t, kChannels * kNotes> held_{};
  std::atomic<int> count_{0};
};
