// The buffer of an LV2 plug-in's MIDI input: an atom sequence holding the
// events of one block, each stamped with its frame within the block.
#pragma once

#include <lv2/atom/atom.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class MidiSequence {
 public:
  // Room for `events` three-byte messages.
  explicit MidiSequence(size_t events);

  // What the port is connected to; it moves when the sequence grows.
  void* buffer() { return storage_.data(); }
  uint32_t capacityBytes() const { return static_cast<uint32_t>(storage_.size() * sizeof(uint64_t)); }
  // The most three-byte messages it holds without growing.
  size_t eventCapacity() const;

  // Makes room for `events` more messages than it holds now; false when it
  // had room already (and nothing moved), true when it grew.
  bool makeRoom(size_t events);
  // Empties the sequence, as a plug-in must find it in a block without MIDI.
  void clear();
  // Appends a message of up to three bytes at `frame`, frames never
  // decreasing; the room must have been made.
  void append(int64_t frame, const uint8_t* bytes, uint32_t size);

 private:
  LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(storage_.data()); }

  std::vector<uint64_t> storage_;  // 64-bit words keep every event 8-byte aligned
  uint32_t midiEvent_;
  uint32_t sequenceType_;
};
