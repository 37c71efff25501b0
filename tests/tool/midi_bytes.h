// Building Standard MIDI Files byte by byte for the tests, so that every test
// file is visible in the test that uses it, corrupt ones included.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A variable-length number as MIDI files write delta times and lengths.
inline Bytes variableLength(uint32_t value) {
  Bytes bytes{static_cast<uint8_t>(value & 0x7F)};
  while ((value >>= 7) != 0) bytes.insert(bytes.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
  return bytes;
}

inline Bytes bigEndian(uint32_t value, int count) {
  Bytes bytes;
  for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return bytes;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// One track's events: each call appends a delta time and the event's bytes.
class TrackBytes {
 public:
  TrackBytes& event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
    data_ = data_ + variableLength(delta) + Bytes(bytes);
    return *this;
  }
  TrackBytes& tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
    return event(delta,
                 {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                  static_cast<uint8_t>(microsecondsPerQuarter >> 8), static_cast<uint8_t>(microsecondsPerQuarter)});
  }
  TrackBytes& end(uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }

  // The events wrapped in an MTrk chunk.
  Bytes chunk() const { return Bytes{'M', 'T', 'r', 'k'} + bigEndian(static_cast<uint32_t>(data_.size()), 4) + data_; }
  const Bytes& events() const { return data_; }

 private:
  Bytes data_;
};

inline Bytes headerChunk(uint16_t format, uint16_t tracks, uint16_t division) {
  return Bytes{'M', 'T', 'h', 'd'} + bigEndian(6, 4) + bigEndian(format, 2) + bigEndian(tracks, 2) +
         bigEndian(division, 2);
}

// A whole file: the header and one chunk per track.
inline Bytes midiFile(uint16_t format, uint16_t division, std::initializer_list<TrackBytes> tracks) {
  Bytes file = headerChunk(format, static_cast<uint16_t>(tracks.size()), division);
  for (const TrackBytes& track : tracks) file = file + track.chunk();
  return file;
}
