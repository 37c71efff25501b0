#include "tools/files/midi_file.h"

#include <cstdio>
#include <cstring>

#include "tools/files/midi_messages.h"
#include "tools/files/whole_file.h"
#include "tools/system/tool_error.h"

namespace {

// Far beyond any song, and small enough that every offset fits 32 bits.
constexpr size_t kMaxFileSize = 256u * 1024u * 1024u;
constexpr size_t kHeaderSize = 14;  // "MThd", length, format, track count, division
constexpr size_t kChunkHeaderSize = 8;
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysExEvent = 0xF0;
constexpr uint8_t kSysExEscape = 0xF7;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;

std::string hexByte(uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

// Reads one track chunk's events, never past the chunk's end.
class TrackReader {
 public:
  TrackReader(const std::vector<uint8_t>& bytes, size_t begin, size_t end, int trackNumber)
      : bytes_(bytes), position_(begin), end_(end), name_("track " + std::to_string(trackNumber)) {}

  MidiTrack read() {
    MidiTrack track;
    uint64_t tick = 0;
    uint8_t runningStatus = 0;
    while (true) {
      if (position_ == end_) throw MidiFileError(position_, name_ + " ends without an end-of-track event");
      tick += variableLength("delta time");
      MidiFileEvent event;
      event.tick = tick;
      event.fileOffset = static_cast<uint32_t>(position_);
      const uint8_t first = byte("event");
      if (first == kMetaEvent) {
        const uint8_t type = byte("meta event");
        const size_t lengthOffset = position_;
        const uint32_t length = variableLength("meta event length");
        const size_t dataOffset = position_;
        skip(length, lengthOffset, "meta event");
        if (type == kMetaEndOfTrack) {
          event.kind = MidiFileEvent::Kind::EndOfTrack;
          track.events.push_back(event);
          return track;  // whatever follows in the chunk is not part of the track
        }
        if (type == kMetaTempo) {
          event.kind = MidiFileEvent::Kind::Tempo;
          event.tempo = tempoOf(dataOffset, length);
          track.events.push_back(event);
        }
        // Meta and system-exclusive events leave running status as it was: the
        // standard says they cancel it, but files that rely on it are common and
        // their meaning is plain.
      } else if (first == kSysExEvent || first == kSysExEscape) {
        const size_t lengthOffset = position_;
        skip(variableLength("system-exclusive length"), lengthOffset, "system-exclusive event");
      } else if (first >= 0xF0) {
        throw MidiFileError(event.fileOffset, "status byte " + hexByte(first) + " is not allowed in a MIDI file");
      } else {
        if (first >= 0x80) {
          runningStatus = first;
        } else if (runningStatus == 0) {
          throw MidiFileError(event.fileOffset, "data byte " + hexByte(first) + " without a status byte");
        } else {
          --position_;  // running status: this byte is the first data byte
        }
        event.kind = MidiFileEvent::Kind::Channel;
        event.bytes[0] = runningStatus;
        event.size = static_cast<uint8_t>(1 + channelDataBytes(runningStatus));
        for (int i = 1; i < event.size; ++i) event.bytes[i] = dataByte(runningStatus);
        track.events.push_back(event);
      }
    }
  }

 private:
  uint8_t byte(const char* what) {
    if (position_ == end_) throw MidiFileError(position_, name_ + " ends inside a " + what);
    return bytes_[position_++];
  }

  uint8_t dataByte(uint8_t status) {
    const size_t offset = position_;
    const uint8_t value = byte("channel message");
    if (value >= 0x80) {
      throw MidiFileError(offset,
                          "data byte " + hexByte(value) + " of status " + hexByte(status) + " has its top bit set");
    }
    return value;
  }

  // At most four bytes of seven bits each, the last one with its top bit clear.
  uint32_t variableLength(const char* what) {
    const size_t start = position_;
    uint32_t value = 0;
    for (int count = 0; count < 4; ++count) {
      const uint8_t part = byte(what);
      value = (value << 7) | (part & 0x7Fu);
      if ((part & 0x80) == 0) return value;
    }
    throw MidiFileError(start, std::string("bad variable-length number (") + what + " longer than four bytes)");
  }

  void skip(uint32_t length, size_t lengthOffset, const char* what) {
    if (length > end_ - position_) {
      throw MidiFileError(lengthOffset,
                          std::string(what) + " length " + std::to_string(length) + " runs past the end of " + name_);
    }
    position_ += length;
  }

  uint32_t tempoOf(size_t offset, uint32_t length) const {
    if (length != 3) {
      throw MidiFileError(offset, "tempo event of " + std::to_string(length) + " bytes (3 expected)");
    }
    const uint32_t tempo = (uint32_t{bytes_[offset]} << 16) | (uint32_t{bytes_[offset + 1]} << 8) | bytes_[offset + 2];
    if (tempo == 0) throw MidiFileError(offset, "tempo of 0 microseconds per quarter note");
    return tempo;
  }

  const std::vector<uint8_t>& bytes_;
  size_t position_;
  size_t end_;
  std::string name_;
};

uint32_t bigEndian(const std::vector<uint8_t>& bytes, size_t offset, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[offset + i];
  return value;
}

// Where a chunk's data ends, checked against the file's end.
size_t chunkEnd(const std::vector<uint8_t>& bytes, size_t chunkStart) {
  const uint32_t length = bigEndian(bytes, chunkStart + 4, 4);
  if (length > bytes.size() - chunkStart - kChunkHeaderSize) {
    throw MidiFileError(chunkStart, "chunk length " + std::to_string(length) + " runs past the end of the file");
  }
  return chunkStart + kChunkHeaderSize + length;
}

MidiDivision divisionOf(const std::vector<uint8_t>& bytes) {
  const size_t offset = 12;
  MidiDivision division;
  if ((bytes[offset] & 0x80) == 0) {
    division.ticksPerQuarter = bigEndian(bytes, offset, 2);
    if (division.ticksPerQuarter == 0) throw MidiFileError(offset, "division of 0 ticks per quarter note");
    return division;
  }
  division.smpte = true;
  const int framesPerSecond = -static_cast<int>(static_cast<int8_t>(bytes[offset]));
  if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30) {
    throw MidiFileError(offset, "SMPTE division of " + std::to_string(framesPerSecond) +
                                    " frames per second (24, 25, 29 or 30 expected)");
  }
  division.framesPerSecond = static_cast<uint32_t>(framesPerSecond);
  division.ticksPerFrame = bytes[offset + 1];
  if (division.ticksPerFrame == 0) throw MidiFileError(offset + 1, "SMPTE division of 0 ticks per frame");
  return division;
}

}  // namespace

MidiFile parseMidiFile(const std::vector<uint8_t>& bytes) {
  if (bytes.size() > kMaxFileSize) {
    throw MidiFileError(kMaxFileSize, "file larger than " + std::to_string(kMaxFileSize >> 20) + " MiB");
  }
  if (!bytes.empty() && std::memcmp(bytes.data(), "MThd", bytes.size() < 4 ? bytes.size() : 4) != 0) {
    throw MidiFileError(0, "not a Standard MIDI File (no MThd header)");
  }
  if (bytes.size() < kHeaderSize) {
    throw MidiFileError(bytes.size(),
                        "file ends inside the MThd header (" + std::to_string(kHeaderSize) + " bytes needed)");
  }
  const size_t headerEnd = chunkEnd(bytes, 0);
  if (headerEnd < kHeaderSize) {
    throw MidiFileError(4,
                        "header length " + std::to_string(headerEnd - kChunkHeaderSize) + " is too short (6 needed)");
  }

  MidiFile file;
  file.format = static_cast<uint16_t>(bigEndian(bytes, 8, 2));
  const uint32_t trackCount = bigEndian(bytes, 10, 2);
  if (file.format == 2) throw MidiFileError(8, "format 2 (independent sequences) is not supported");
  if (file.format > 2) throw MidiFileError(8, "unknown format " + std::to_string(file.format));
  if (trackCount == 0) throw MidiFileError(10, "the header announces no tracks");
  if (file.format == 0 && trackCount != 1) {
    throw MidiFileError(10, "format 0 holds one track, but the header announces " + std::to_string(trackCount));
  }
  file.division = divisionOf(bytes);

  size_t position = headerEnd;
  while (file.tracks.size() < trackCount) {
    const std::string missing = "track " + std::to_string(file.tracks.size() + 1) + " of " + std::to_string(trackCount);
    if (position == bytes.size()) throw MidiFileError(position, "file ends before " + missing);
    if (bytes.size() - position < kChunkHeaderSize) {
      throw MidiFileError(position, "file ends inside the chunk header of " + missing);
    }
    const size_t end = chunkEnd(bytes, position);
    // Chunks of other types are allowed by the format and skipped.
    if (std::memcmp(bytes.data() + position, "MTrk", 4) == 0) {
      TrackReader reader(bytes, position + kChunkHeaderSize, end, static_cast<int>(file.tracks.size() + 1));
      file.tracks.push_back(reader.read());
    }
    position = end;
  }
  return file;
}

MidiFile readMidiFile(const std::string& path) {
  try {
    return parseMidiFile(readWholeFile(path, kMaxFileSize));
  } catch (const MidiFileError& error) {
    throw ToolError(kExitBadInput, path + ": " + error.what());
  }
}
