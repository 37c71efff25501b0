// How a JACK period's MIDI reaches an instrument: which messages are taken
// and how, and which block of the period each event lands in, at which
// frame. Exact: frames and bytes are compared whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/audio/event_splitter.h"

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kNote = {0x90, 60, 100};

// "start+frames:f,f" for each block, f the events' frames within the block.
std::string blocksOf(const std::vector<std::pair<int64_t, Bytes>>& incoming, int32_t period, int32_t blockSize) {
  EventSplitter splitter(8);
  for (const auto& [frame, bytes] : incoming) {
    ScheduledEvent event;
    if (!readChannelMessage(bytes.data(), bytes.size(), kAnyChannel, event)) continue;
    event.frame = frame;
    splitter.add(event, period);
  }
  std::string blocks;
  splitter.split(period, blockSize, [&](int32_t start, int32_t frames, auto first, auto last) {
    blocks += (blocks.empty() ? "" : " ") + std::to_string(start) + "+" + std::to_string(frames) + ":";
    for (const ScheduledEvent* event = first; event != last; ++event) {
      blocks += (event == first ? "" : ",") + std::to_string(event->frame - start);
    }
  });
  return splitter.dropped() > 0 ? blocks + " dropped " + std::to_string(splitter.dropped()) : blocks;
}

TEST(EventSplitter, EventsLandInTheirBlockAtTheirFrame) {
  const struct {
    const char* what;
    std::vector<std::pair<int64_t, Bytes>> incoming;
    int32_t period, blockSize;
    const char* expected;
  } cases[] = {
      {"one block", {{0, kNote}, {10, kNote}, {63, kNote}}, 64, 64, "0+64:0,10,63"},
      {"four blocks", {{70, kNote}, {128, kNote}, {255, kNote}}, 256, 64, "0+64: 64+64:6 128+64:0 192+64:63"},
      {"no multiple of the block", {{99, kNote}}, 100, 64, "0+64: 64+36:35"},
      {"kept within the period, in order", {{300, kNote}, {5, kNote}}, 256, 128, "0+128: 128+128:127,127"},
      {"no place left", std::vector<std::pair<int64_t, Bytes>>(10, {3, kNote}), 64, 64,
       "0+64:3,3,3,3,3,3,3,3 dropped 2"},
      {"whole channel messages only", {{1, {0xF8}}, {2, {0x90, 60}}, {3, {0x90, 0x80, 1}}, {4, {0xC0, 5}}}, 16, 16,
       "0+16:4"},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(blocksOf(test.incoming, test.period, test.blockSize), test.expected) << test.what;
  }
}

TEST(EventSplitter, NoteOnOfVelocityZeroIsANoteOffAndOtherChannelsAreLeft) {
  const Bytes offAsOn = {0x93, 60, 0};
  ScheduledEvent event;
  ASSERT_TRUE(readChannelMessage(offAsOn.data(), offAsOn.size(), 3, event));
  EXPECT_EQ(Bytes(event.bytes, event.bytes + event.size), (Bytes{0x83, 60, 64}));
  EXPECT_FALSE(readChannelMessage(kNote.data(), kNote.size(), 3, event));
}

}  // namespace
