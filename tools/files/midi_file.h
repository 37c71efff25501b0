// A Standard MIDI File (format 0 or 1) read into memory.
//
// The reader keeps what a renderer needs: channel messages with running status
// expanded, tempo changes and the end of every track, each with its absolute
// tick and the byte offset where it starts in the file. Anything malformed
// raises MidiFileError naming the byte offset and what is wrong; nothing is
// guessed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct MidiFileEvent {
  enum class Kind : uint8_t { Channel, Tempo, EndOfTrack };

  uint64_t tick = 0;
  uint32_t fileOffset = 0;
  Kind kind = Kind::Channel;
  uint8_t size = 0;       // Channel: 2 or 3 bytes
  uint8_t bytes[3] = {};  // Channel: status and data bytes
  uint32_t tempo = 0;     // Tempo: microseconds per quarter note
};

struct MidiTrack {
  std::vector<MidiFileEvent> events;  // in file order; the last one is the EndOfTrack
};

// How ticks relate to time: ticks per quarter note (metric), or frames per
// second and ticks per frame (SMPTE; 29 stands for 29.97 frames per second).
struct MidiDivision {
  bool smpte = false;
  uint32_t ticksPerQuarter = 0;
  uint32_t framesPerSecond = 0;
  uint32_t ticksPerFrame = 0;
};

struct MidiFile {
  uint16_t format = 0;
  MidiDivision division;
  std::vector<MidiTrack> tracks;
};

class MidiFileError : public std::runtime_error {
 public:
  MidiFileError(size_t offset, const std::string& problem)
      : std::runtime_error("byte " + std::to_string(offset) + ": " + problem), offset_(offset) {}
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// Throws MidiFileError.
MidiFile parseMidiFile(const std::vector<uint8_t>& bytes);

// Reads and parses the file; throws ToolError (kExitBadInput) whose message
// starts with the path.
MidiFile readMidiFile(const std::string& path);
