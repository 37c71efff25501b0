// The MIDI of one JACK period, handed to an instrument block by block.
//
// A period may be longer than the instrument's largest block (a server may
// choose any period, and change it while playing), so it is cut into blocks
// of at most that size, and each block gets the events that fall in it at
// their frames within it: every event sounds on its own frame.
//
// The events are kept in places taken once, when the splitter is made; the
// audio thread never allocates. An event that finds no place is dropped and
// counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/files/midi_schedule.h"

// Every MIDI channel, as --channel leaves them.
constexpr int kAnyChannel = -1;

// One message of a JACK MIDI port as an instrument takes it: a whole channel
// message, on `channel` (0 to 15) unless kAnyChannel, with a note-on of
// velocity 0 turned into the note-off it stands for. False for anything else
// (system messages, a message cut short, another channel).
bool readChannelMessage(const uint8_t* bytes, size_t size, int channel, ScheduledEvent& message);

class EventSplitter {
 public:
  explicit EventSplitter(int32_t capacity) : events_(static_cast<size_t>(capacity)) {}

  int32_t capacity() const { return static_cast<int32_t>(events_.size()); }
  // Adds an event of a period of `periodFrames` frames. Its frame is kept
  // within the period and never before the event added last, so that events
  // keep the order they came in.
  void add(ScheduledEvent event, int32_t periodFrames);
  // Forgets the events, which start the next period.
  void clear() { count_ = 0; }
  // Events that found no place since the splitter was made; any thread may ask.
  uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

  // Calls render(blockStart, frames, first, last) for each block of at most
  // `blockSize` frames in turn, with the events [first, last) of that block;
  // their frames count from the start of the period.
  template <typename Render>
  void split(int32_t periodFrames, int32_t blockSize, Render&& render) const {
    const ScheduledEvent* next = events_.data();
    const ScheduledEvent* const end = next + count_;
    for (int32_t blockStart = 0; blockStart < periodFrames; blockStart += blockSize) {
      const int32_t frames = periodFrames - blockStart < blockSize ? periodFrames - blockStart : blockSize;
      const ScheduledEvent* last = next;
      while (last != end && last->frame < blockStart + frames) ++last;
      render(blockStart, frames, next, last);
      next = last;
    }
  }

 private:
  std::vector<ScheduledEvent> events_;
  size_t count_ = 0;
  std::atomic<uint64_t> dropped_{0};
};
