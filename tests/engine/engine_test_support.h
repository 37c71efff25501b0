// Small helpers shared by the engine tests: MIDI events and block renders.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/envelope.h"
#include "engine/midi_event.h"
#include "engine/render_cursor.h"

inline MidiEvent noteOnAt(int32_t frame, int note, int velocity) {
  return {frame, 0x90, static_cast<uint8_t>(note), static_cast<uint8_t>(velocity)};
}
inline MidiEvent noteOffAt(int32_t frame, int note) {
  return {frame, 0x80, static_cast<uint8_t>(note), 0};
}
inline MidiEvent controllerAt(int32_t frame, int number, int value) {
  return {frame, 0xB0, static_cast<uint8_t>(number), static_cast<uint8_t>(value)};
}
inline MidiEvent pitchBendAt(int32_t frame, int value) {
  return {frame, 0xE0, 0, static_cast<uint8_t>(value)};
}

struct StereoBlock {
  std::vector<float> left, right;
};

// Renders one block of any engine-like object (the engine or the model) with
// the given events, continuing the cursor.
template <typename Synth>
StereoBlock renderBlock(Synth& synth, const std::vector<MidiEvent>& events, RenderCursor& cursor,
                        int32_t frames) {
  StereoBlock block{std::vector<float>(frames), std::vector<float>(frames)};
  synth.render(events.data(), static_cast<int32_t>(events.size()), cursor, block.left.data(),
               block.right.data(), frames);
  return block;
}

// Renders one block with a fresh cursor, as after a new event list.
template <typename Synth>
StereoBlock renderBlock(Synth& synth, const std::vector<MidiEvent>& events, int32_t frames) {
  RenderCursor cursor;
  return renderBlock(synth, events, cursor, frames);
}

// An envelope with its five settings, in samples and levels.
inline Envelope withSettings(float attack, float peak, float decay, float sustain, float release) {
  Envelope envelope;
  envelope.attackLength = attack;
  envelope.peakLevel = peak;
  envelope.decayLength = decay;
  envelope.sustainLevel = sustain;
  envelope.releaseLength = release;
  return envelope;
}
