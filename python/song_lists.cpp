#include "python/song_lists.h"

#include <algorithm>

#include "tools/files/number_text.h"
#include "tools/files/midi_messages.h"
#include "tools/system/tool_error.h"

namespace {

constexpr uint8_t kLastChannelStatus = 0xEF;

ToolError badItem(const std::string& item, const std::string& problem) {
  return ToolError(kExitBadInput, item + ": " + problem);
}

// An event with the order it takes among events of its frame.
struct PlacedEvent {
  ScheduledEvent event;
  int rank = 0;
};

MidiSchedule scheduleOf(std::vector<PlacedEvent>& placed) {
  std::stable_sort(placed.begin(), placed.end(), [](const PlacedEvent& a, const PlacedEvent& b) {
    return a.event.frame != b.event.frame ? a.event.frame < b.event.frame : a.rank < b.rank;
  });
  MidiSchedule schedule;
  for (const PlacedEvent& item : placed) schedule.events.push_back(item.event);
  if (!schedule.events.empty()) schedule.lastFrame = schedule.events.back().frame;
  return schedule;
}

int64_t checkedByte(int64_t value, int64_t low, const std::string& item, const std::string& what) {
  if (value < low || value > 127) {
    throw badItem(item, what + " " + std::to_string(value) + " is not from " + std::to_string(low) + " to 127");
  }
  return value;
}

}  // namespace

int64_t nanosecondsOf(double seconds, const std::string& what, int64_t maxSeconds) {
  if (!(seconds >= 0.0 && seconds <= static_cast<double>(maxSeconds))) {
    throw ToolError(kExitBadInput, what + " needs a number of seconds from 0 to " + std::to_string(maxSeconds) +
                                       ", not " + pythonNumber(seconds));
  }
  return nanosecondsOfSeconds(seconds);
}

MidiSchedule scheduleNotes(const std::vector<NoteInput>& notes, int32_t sampleRate) {
  enum Rank { kEndOfEarlierNote, kStart, kEndOfNoteStartedHere };
  std::vector<PlacedEvent> placed;
  for (size_t index = 0; index < notes.size(); ++index) {
    const NoteInput& note = notes[index];
    const std::string item = "notes[" + std::to_string(index) + "]";
    const auto key = static_cast<uint8_t>(checkedByte(note.note, 0, item, "note"));
    const auto velocity = static_cast<uint8_t>(checkedByte(note.velocity, 1, item, "velocity"));
    const int64_t start = nanosecondsOf(note.start, item + ": its start", kMaxSongSeconds);
    const int64_t length = nanosecondsOf(note.duration, item + ": its duration", kMaxSongSeconds);
    PlacedEvent on{channelMessage(kNoteOn, key, velocity), kStart};
    PlacedEvent off{channelMessage(kNoteOff, key, kDefaultReleaseVelocity), kEndOfEarlierNote};
    on.event.frame = frameAt(start, sampleRate);
    off.event.frame = frameAt(start + length, sampleRate);
    if (off.event.frame == on.event.frame) off.rank = kEndOfNoteStartedHere;
    placed.push_back(on);
    placed.push_back(off);
  }
  return scheduleOf(placed);
}

MidiSchedule scheduleMessages(const std::vector<MessageInput>& messages, int32_t sampleRate) {
  std::vector<PlacedEvent> placed;
  for (size_t index = 0; index < messages.size(); ++index) {
    const MessageInput& message = messages[index];
    const std::string item = "events[" + std::to_string(index) + "]";
    const std::string& bytes = message.bytes;
    const auto status = static_cast<uint8_t>(bytes.empty() ? 0 : bytes[0]);
    const bool channelMessageShape =
        status >= kNoteOff && status <= kLastChannelStatus &&
        bytes.size() == static_cast<size_t>(1 + channelDataBytes(status)) &&
        std::all_of(bytes.begin() + 1, bytes.end(), [](char data) { return static_cast<uint8_t>(data) < 0x80; });
    if (!channelMessageShape) {
      throw badItem(item, "not a MIDI channel message (a status byte from 0x80 to 0xEF and its one or two data "
                          "bytes below 0x80)");
    }
    PlacedEvent event;
    event.event.size = static_cast<uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), event.event.bytes);
    event.event.frame = frameAt(nanosecondsOf(message.time, item + ": its time", kMaxSongSeconds), sampleRate);
    placed.push_back(event);
  }
  return scheduleOf(placed);
}
