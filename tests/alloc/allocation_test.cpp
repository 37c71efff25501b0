// The audio thread must never allocate: after the first event list has given
// the event buffer its size, processReplacing (and processEvents with lists no
// longer than that) must not reach the heap, whatever is played; nor may the
// CLAP plug-in's process, whatever notes, MIDI and values come. Every
// allocation through operator new in this program is counted; the instrument
// uses no other allocator.
//
// Also reported: how much heap one instance takes, and that closing it gives
// all of it back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "clap_test_host.h"
#include "vst2/instrument/synth_plugin.h"

namespace {

struct HeapCount {
  size_t allocations = 0;
  size_t bytes = 0;
  long live = 0;
};
HeapCount heap;

void* counted(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (block) {
    ++heap.allocations;
    heap.bytes += size;
    ++heap.live;
  }
  return block;
}

void uncounted(void* block) {
  if (!block) return;
  --heap.live;
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* block = counted(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void operator delete(void* block) noexcept { uncounted(block); }
void operator delete[](void* block) noexcept { uncounted(block); }
void operator delete(void* block, std::size_t) noexcept { uncounted(block); }
void operator delete[](void* block, std::size_t) noexcept { uncounted(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { uncounted(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { uncounted(block); }

namespace {

VstIntPtr VSTCALLBACK hostCallback(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// One VstEvents list with its events, as a host hands it over.
class EventList {
 public:
  void add(int32_t frame, int status, int data1, int data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = frame;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    events.push_back(event);
  }
  size_t size() const { return events.size(); }
  VstEvents* list() {
    storage.assign(sizeof(VstEvents) + events.size() * sizeof(VstEvent*), 0);
    auto* result = reinterpret_cast<VstEvents*>(storage.data());
    result->numEvents = static_cast<int32_t>(events.size());
    for (size_t i = 0; i < events.size(); ++i) result->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
    return result;
  }

 private:
  std::vector<VstMidiEvent> events;
  std::vector<unsigned char> storage;
};

// A block's worth of busy playing: notes, vibrato, bends, volume, pan, all
// notes off now and then.
EventList randomEvents(std::mt19937& random, int32_t frames, size_t most) {
  EventList events;
  const size_t count = random() % (most + 1);
  for (size_t i = 0; i < count; ++i) {
    const int32_t frame = static_cast<int32_t>(random() % static_cast<uint32_t>(frames));
    const int value = static_cast<int>(random() % 128);
    switch (random() % 8) {
      case 0:
      case 1: events.add(frame, 0x90, 36 + value % 60, 1 + value); break;
      case 2:
      case 3: events.add(frame, 0x80, 36 + value % 60, 0); break;
      case 4: events.add(frame, 0xB0, 1, value); break;
      case 5: events.add(frame, 0xE0, 0, value); break;
      case 6: events.add(frame, 0xB0, random() % 2 ? 7 : 10, value); break;
      default: events.add(frame, 0xB0, 123, 0); break;
    }
  }
  return events;
}

}  // namespace

TEST(Allocation, NoneWhileRenderingAfterTheFirstEventList) {
  constexpr size_t kLongestList = 48;
  SynthPlugin plugin(hostCallback);
  plugin.setSampleRate(44100.0f);
  plugin.resume();
  constexpr int32_t kLargestBlock = 4096;
  std::vector<float> left(kLargestBlock), right(kLargestBlock);
  float* outputs[] = {left.data(), right.data()};

  std::mt19937 random(3);
  EventList first = randomEvents(random, 512, kLongestList);
  while (first.size() < kLongestList) first.add(0, 0xB0, 1, 64);
  plugin.processEvents(first.list());
  plugin.processReplacing(nullptr, outputs, 512);

  const int32_t blockSizes[] = {1, 7, 64, 128, 512, 1000, kLargestBlock};
  const float waveforms[] = {0.1f, 0.5f, 0.9f};
  size_t duringEvents = 0, duringRendering = 0;
  for (int block = 0; block < 3000; ++block) {
    if (block % 500 == 0) plugin.setWaveform(waveforms[block / 500 % 3]);
    if (block % 700 == 0) plugin.setEnvelope(0.01f * (block % 3), 0.4f, 0.05f, 0.3f, 0.02f * (block % 5));
    const int32_t frames = blockSizes[random() % 7];
    EventList events = randomEvents(random, frames, kLongestList);
    VstEvents* list = events.list();

    size_t before = heap.allocations;
    plugin.processEvents(list);
    duringEvents += heap.allocations - before;

    before = heap.allocations;
    plugin.processReplacing(nullptr, outputs, frames);
    duringRendering += heap.allocations - before;
  }
  EXPECT_EQ(duringRendering, 0u);
  EXPECT_EQ(duringEvents, 0u);
}

TEST(Allocation, AnInstanceGivesBackAllItTook) {
  const HeapCount before = heap;
  auto* plugin = new SynthPlugin(hostCallback);
  const size_t bytes = heap.bytes - before.bytes;
  const size_t blocks = heap.allocations - before.allocations;
  delete plugin;
  EXPECT_EQ(heap.live, before.live);
  std::printf("One instance takes %zu bytes of heap in %zu blocks (before its first event list).\n", bytes, blocks);
  RecordProperty("instance_heap_bytes", static_cast<int>(bytes));
}

// Notes in either dialect, controllers, bends and values, at random frames
// of random blocks.
TEST(Allocation, NoneInTheClapPluginsProcess) {
  TestHost host;
  PluginInstance instance(host);
  constexpr uint32_t kLargestBlock = 4096;
  std::vector<float> left(kLargestBlock), right(kLargestBlock);
  std::mt19937 random(5);
  const uint32_t blockSizes[] = {1, 7, 64, 512, 1000, kLargestBlock};
  size_t duringProcess = 0;
  for (int block = 0; block < 3000; ++block) {
    const uint32_t frames = blockSizes[random() % 6];
    ClapEvents in;
    for (uint32_t i = 0, count = random() % 40; i < count; ++i) {
      const uint32_t frame = random() % frames;
      const auto value = static_cast<uint8_t>(random() % 128);
      const auto key = static_cast<int16_t>(36 + value % 60);
      switch (random() % 6) {
        case 0: in.note(CLAP_EVENT_NOTE_ON, frame, key, value / 127.0, static_cast<int32_t>(i)); break;
        case 1: in.note(CLAP_EVENT_NOTE_OFF, frame, random() % 4 ? key : -1); break;
        case 2: in.midi(frame, 0x90, static_cast<uint8_t>(key), value); break;
        case 3: in.midi(frame, random() % 2 ? 0xE0 : 0xB0, static_cast<uint8_t>(random() % 128), value); break;
        default: in.parameter(frame, random() % 8, value / 127.0); break;
      }
    }
    const size_t before = heap.allocations;
    instance.process(frames, left.data(), right.data(), in);
    duringProcess += heap.allocations - before;
  }
  EXPECT_EQ(duringProcess, 0u);
}
