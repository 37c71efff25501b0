// An instance of the loaded module played as a host plays it: set up for
// 44100 Hz and switched on, given MIDI as event lists before each block, and
// asked for blocks of audio into buffers that hold stale values.
#pragma once

#include <vector>

#include "loaded_instrument.h"
#include "recording_host.h"

struct Midi {
  VstInt32 frame;
  unsigned char status, data1, data2;
};

inline Midi noteOn(VstInt32 frame, int note, int velocity = 100) {
  return {frame, 0x90, static_cast<unsigned char>(note), static_cast<unsigned char>(velocity)};
}
inline Midi noteOff(VstInt32 frame, int note) { return {frame, 0x80, static_cast<unsigned char>(note), 0}; }
inline Midi controller(VstInt32 frame, int number, int value) {
  return {frame, 0xB0, static_cast<unsigned char>(number), static_cast<unsigned char>(value)};
}
inline Midi bend(VstInt32 frame, int coarse) { return {frame, 0xE0, 0, static_cast<unsigned char>(coarse)}; }

struct Block {
  std::vector<float> left, right;
  bool silent() const;
  bool operator==(const Block& other) const { return left == other.left && right == other.right; }
};

class PlayedInstrument {
 public:
  PlayedInstrument();

  // One VstEvents list, as a host sends it before a block.
  void send(const std::vector<Midi>& midi);
  Block render(VstInt32 frames, bool replacing = true);
  Block play(const std::vector<Midi>& midi, VstInt32 frames) {
    send(midi);
    return render(frames);
  }

  RecordingHost host;  // answers the instance's calls, so it is built first
  LoadedInstrument loaded;
};
