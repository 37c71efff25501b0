#include "midi_file_check.h"

#include <exception>
#include <vector>

#include "tools/files/midi_file.h"
#include "tools/files/midi_schedule.h"

namespace {

// The ends of the range quorlin-host accepts, and the usual rate: the frame
// arithmetic is exact, so its limits show at the ends.
constexpr int32_t kSampleRates[] = {1000, 44100, 768000};

std::string checkErrorLine(const char* message) {
  std::string line(message);
  if (line.empty()) return "a rejection with an empty message";
  for (char character : line) {
    unsigned char code = static_cast<unsigned char>(character);
    if (code == '\n' || code == '\r') return "a rejection message of more than one line: " + line;
    if (code < 0x20 || code > 0x7E) return "a rejection message with an unprintable byte: " + line;
  }
  return {};
}

std::string checkTracks(const MidiFile& file, size_t size) {
  if (file.tracks.empty()) return "an accepted file without tracks";
  for (const MidiTrack& track : file.tracks) {
    if (track.events.empty() || track.events.back().kind != MidiFileEvent::Kind::EndOfTrack)
      return "an accepted track that does not end with its end-of-track event";
    uint64_t previousTick = 0;
    for (const MidiFileEvent& event : track.events) {
      if (event.tick < previousTick) return "ticks going back within a track";
      previousTick = event.tick;
      if (event.fileOffset >= size) return "an event placed beyond the end of the file";
      if (event.kind != MidiFileEvent::Kind::Channel) continue;
      if (event.size != 2 && event.size != 3) return "a channel message of " + std::to_string(event.size) + " bytes";
      if (event.bytes[0] < 0x80 || event.bytes[0] >= 0xF0) return "a channel message without a channel status";
      for (int i = 1; i < event.size; ++i) {
        if (event.bytes[i] >= 0x80) return "a channel message with a data byte above 127";
      }
    }
  }
  return {};
}

std::string checkSchedule(const MidiSchedule& schedule) {
  int64_t previousFrame = 0;
  for (const ScheduledEvent& event : schedule.events) {
    if (event.frame < previousFrame) return "a schedule whose frames go back";
    previousFrame = event.frame;
  }
  if (schedule.lastFrame < previousFrame) return "a song that ends before its last channel message";
  return {};
}

}  // namespace

std::string checkMidiFileReading(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  MidiFile file;
  try {
    file = parseMidiFile(bytes);
  } catch (const MidiFileError& error) {
    return checkErrorLine(error.what());
  } catch (const std::exception& error) {
    return std::string("the reader let escape another exception: ") + error.what();
  }
  std::string problem = checkTracks(file, size);
  if (!problem.empty()) return problem;

  for (int32_t rate : kSampleRates) {
    try {
      problem = checkSchedule(scheduleMidiFile(file, rate));
    } catch (const MidiFileError& error) {
      problem = checkErrorLine(error.what());
    } catch (const std::exception& error) {
      problem = std::string("the scheduler let escape another exception: ") + error.what();
    }
    if (!problem.empty()) return problem + " (at " + std::to_string(rate) + " Hz)";
  }
  return {};
}
