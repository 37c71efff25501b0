#include "played_instrument.h"

#include <gtest/gtest.h>

#include <algorithm>

bool Block::silent() const {
  return std::all_of(left.begin(), left.end(), [](float s) { return s == 0.0f; }) &&
         std::all_of(right.begin(), right.end(), [](float s) { return s == 0.0f; });
}

PlayedInstrument::PlayedInstrument() : loaded(RecordingHost::callback()) {
  loaded.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  loaded.dispatch(effSetBlockSize, 0, 512);
  loaded.dispatch(effMainsChanged, 0, 1);
}

void PlayedInstrument::send(const std::vector<Midi>& midi) {
  std::vector<VstMidiEvent> events(midi.size());
  std::vector<unsigned char> storage(sizeof(VstEvents) + midi.size() * sizeof(VstEvent*));
  auto* list = reinterpret_cast<VstEvents*>(storage.data());
  list->numEvents = static_cast<VstInt32>(midi.size());
  for (size_t i = 0; i < midi.size(); ++i) {
    VstMidiEvent& event = events[i];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = midi[i].frame;
    event.midiData[0] = static_cast<char>(midi[i].status);
    event.midiData[1] = static_cast<char>(midi[i].data1);
    event.midiData[2] = static_cast<char>(midi[i].data2);
    eventEntries(list)[i] = reinterpret_cast<VstEvent*>(&event);
  }
  EXPECT_EQ(loaded.dispatch(effProcessEvents, 0, 0, list), 1);
}

Block PlayedInstrument::render(VstInt32 frames, bool replacing) {
  // Stale values in the host's buffers must be overwritten, not added to.
  Block block{std::vector<float>(frames, 7.0f), std::vector<float>(frames, 7.0f)};
  float* outputs[2] = {block.left.data(), block.right.data()};
  AEffect* effect = loaded.record();
  (replacing ? effect->processReplacing : effect->process)(effect, nullptr, outputs, frames);
  return block;
}
