// The buffer of an LV2 plug-in's MIDI input: an atom sequence holding the
// events of one block, each stamped with its frame within the block. Its
// size is fixed when the plug-in is made, and told to it as every sequence's.
#pragma once

#include <lv2/atom/atom.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class MidiSequence {
 public:
  // The bytes a sequence of `events` messages of up to eight bytes takes.
  static size_t bytesFor(size_t events);

  MidiSequence();

  // Gives it room for `bytes` bytes, emptied; what the port is connected to moves.
  void resize(size_t bytes);
  void* buffer() { return storage_.data(); }

  // Empties the sequence, as a plug-in must find it in a block without MIDI.
  void clear();
  // Appends a message of up to three bytes at `frame`, frames never
  // decreasing; false, and nothing appended, when there is no room left.
  bool append(int64_t frame, const uint8_t* bytes, uint32_t size);

 private:
  LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(storage_.data()); }

  std::vector<uint64_t> storage_;  // 64-bit words keep every event 8-byte aligned
  uint32_t midiEvent_;
  uint32_t sequenceType_;
};
