// Event intake: which events are kept, in what order, and how the buffer grows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "vst2/instrument/pending_events.h"

namespace {

// Lets a test refuse the next array allocation, as a full heap would.
bool refuseAllocation = false;

VstMidiEvent midiEvent(int32_t deltaFrames, unsigned char status, unsigned char data1, unsigned char data2) {
  VstMidiEvent event = {};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}

VstMidiEvent otherEvent() {
  VstMidiEvent event = {};
  event.type = 6;  // a system-exclusive event
  return event;
}

// A VstEvents list with room for any number of pointers, as hosts build them.
class EventList {
 public:
  explicit EventList(std::vector<VstMidiEvent> events) : records(std::move(events)) {
    storage.resize(sizeof(VstEvents) + records.size() * sizeof(VstEvent*));
    list()->numEvents = static_cast<VstInt32>(records.size());
    for (size_t i = 0; i < records.size(); ++i) eventEntries(list())[i] = reinterpret_cast<VstEvent*>(&records[i]);
  }
  VstEvents* list() { return reinterpret_cast<VstEvents*>(storage.data()); }

 private:
  std::vector<VstMidiEvent> records;
  std::vector<unsigned char> storage;
};

}  // namespace

// Every array form is replaced together so allocation and release always match.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (refuseAllocation) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size) {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

TEST(PendingEvents, KeepsMidiEventsInListOrderAndRestartsTheCursor) {
  PendingEvents pending;
  pending.cursor().nextEvent = 2;
  pending.cursor().eventFramePos = 100;
  EventList list({midiEvent(30, 0x90, 60, 100), midiEvent(5, 0x80, 60, 0), midiEvent(5, 0xB0, 7, 64)});
  pending.take(list.list());

  ASSERT_EQ(pending.eventCount(), 3);
  EXPECT_EQ(pending.eventCapacity(), 3);
  EXPECT_EQ(pending.cursor().nextEvent, 0);
  EXPECT_EQ(pending.cursor().eventFramePos, 0);
  // Out of frame order as received: nothing is sorted.
  EXPECT_EQ(pending.events()[0].deltaFrames, 30);
  EXPECT_EQ(pending.events()[0].status, 0x90);
  EXPECT_EQ(pending.events()[0].data1, 60);
  EXPECT_EQ(pending.events()[0].data2, 100);
  EXPECT_EQ(pending.events()[1].status, 0x80);
  EXPECT_EQ(pending.events()[2].data1, 7);
}

TEST(PendingEvents, SkipsOtherEventTypesButSizesForTheWholeList) {
  PendingEvents pending;
  EventList small({midiEvent(0, 0x90, 60, 1), midiEvent(0, 0x90, 61, 1), midiEvent(0, 0x90, 62, 1)});
  pending.take(small.list());

  std::vector<VstMidiEvent> mixed;
  for (int i = 0; i < 10; ++i) mixed.push_back(i % 3 == 0 ? midiEvent(i, 0x90, 60 + i, 1) : otherEvent());
  EventList larger(mixed);
  pending.take(larger.list());
  EXPECT_EQ(pending.eventCapacity(), 10);
  ASSERT_EQ(pending.eventCount(), 4);
  EXPECT_EQ(pending.events()[3].data1, 69);

  const MidiEvent* buffer = pending.events();
  EventList two({midiEvent(1, 0x80, 60, 0), midiEvent(2, 0x80, 61, 0)});
  pending.take(two.list());
  EXPECT_EQ(pending.eventCapacity(), 10);
  EXPECT_EQ(pending.eventCount(), 2);
  EXPECT_EQ(pending.events(), buffer) << "a shorter list must reuse the buffer";
}

TEST(PendingEvents, AnEmptyOrNegativeListDropsWhatWasPending) {
  PendingEvents pending;
  EventList list({midiEvent(0, 0x90, 60, 1)});
  pending.take(list.list());
  EventList empty({});
  pending.take(empty.list());
  EXPECT_EQ(pending.eventCount(), 0);

  pending.take(list.list());
  empty.list()->numEvents = -5;
  pending.take(empty.list());
  EXPECT_EQ(pending.eventCount(), 0);

  pending.take(list.list());
  pending.take(nullptr);
  EXPECT_EQ(pending.eventCount(), 0);
}

TEST(PendingEvents, WithoutMemoryForALongerListKeepsTheOldBufferAndTakesWhatFits) {
  PendingEvents pending;
  EventList two({midiEvent(0, 0x90, 60, 1), midiEvent(0, 0x90, 61, 1)});
  pending.take(two.list());

  EventList five({midiEvent(0, 0x90, 70, 1), midiEvent(1, 0x90, 71, 1), midiEvent(2, 0x90, 72, 1),
                  midiEvent(3, 0x90, 73, 1), midiEvent(4, 0x90, 74, 1)});
  refuseAllocation = true;
  pending.take(five.list());
  refuseAllocation = false;

  EXPECT_EQ(pending.eventCapacity(), 2);
  ASSERT_EQ(pending.eventCount(), 2);
  EXPECT_EQ(pending.events()[0].data1, 70);
  EXPECT_EQ(pending.events()[1].data1, 71);

  pending.take(five.list());
  EXPECT_EQ(pending.eventCount(), 5);
}

TEST(PendingEvents, NullEntriesInAListAreSkipped) {
  PendingEvents pending;
  EventList list({midiEvent(0, 0x90, 60, 1), midiEvent(0, 0x90, 61, 1)});
  eventEntries(list.list())[0] = nullptr;
  pending.take(list.list());
  ASSERT_EQ(pending.eventCount(), 1);
  EXPECT_EQ(pending.events()[0].data1, 61);
}
