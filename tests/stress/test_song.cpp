#include "test_song.h"

#include <algorithm>
#include <cstring>

namespace {

VstMidiEvent midiEvent(int deltaFrames, int status, int data1, int data2) {
  VstMidiEvent event;
  std::memset(&event, 0, sizeof event);
  event.type = kVstMidiType;
  event.byteSize = sizeof event;
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}

int noteOf(int song, int block) { return 36 + (block * 7 + song * 5) % 48; }

// The block's events in frame order, as hosts send them.
std::vector<VstMidiEvent> blockEvents(int song, int block) {
  std::vector<VstMidiEvent> events;
  const int channel = song % 16;
  events.push_back(midiEvent((block * 37 + song * 11) % kSongBlockFrames, 0x90 | channel, noteOf(song, block),
                             40 + (block * 13) % 80));
  if (block >= 3) events.push_back(midiEvent((block * 53) % kSongBlockFrames, 0x80 | channel, noteOf(song, block - 3), 0));
  if (block % 16 == 5) events.push_back(midiEvent(100, 0xE0 | channel, 0, (block * 3 + song) % 128));
  if (block % 20 == 7) events.push_back(midiEvent(200, 0xB0 | channel, 1, (block + song * 9) % 128));
  if (block % 24 == 11) events.push_back(midiEvent(300, 0xB0 | channel, 7, 60 + song * 8));
  if (block % 24 == 17) events.push_back(midiEvent(400, 0xB0 | channel, 10, (song * 17) % 128));
  if (block % 64 == 63) events.push_back(midiEvent(511, 0xB0 | channel, 123, 0));
  std::stable_sort(events.begin(), events.end(),
                   [](const VstMidiEvent& a, const VstMidiEvent& b) { return a.deltaFrames < b.deltaFrames; });
  return events;
}

}  // namespace

void prepareSong(AEffect* effect, int song) {
  const int program = song % 4;
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f + 1000.0f * static_cast<float>(song));
  effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
  const float values[8] = {
      0.15f + 0.1f * static_cast<float>(song),  // waveform: square, saw and triangle across the songs
      0.002f * static_cast<float>(song + 1),    // attack
      0.8f,                                     // peak
      0.05f,                                    // decay
      0.4f,                                     // sustain
      0.01f * static_cast<float>(song + 1),     // release
      0.3f + 0.08f * static_cast<float>(song),  // cutoff
      0.2f + 0.05f * static_cast<float>(song),  // damping
  };
  for (int index = 0; index < 8; ++index) effect->setParameter(effect, index, values[index]);
  // The values are heard once the program is applied.
  effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
}

void playSongBlock(AEffect* effect, int song, int block, float* left, float* right) {
  std::vector<VstMidiEvent> events = blockEvents(song, block);
  std::vector<unsigned char> storage(offsetof(VstEvents, events) + std::max<size_t>(events.size(), 2) * sizeof(VstEvent*));
  VstEvents* list = reinterpret_cast<VstEvents*>(storage.data());
  VstEvent** entries = eventEntries(list);
  list->numEvents = static_cast<VstInt32>(events.size());
  for (size_t i = 0; i < events.size(); ++i) entries[i] = reinterpret_cast<VstEvent*>(&events[i]);
  effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
  float* outputs[2] = {left, right};
  effect->processReplacing(effect, nullptr, outputs, kSongBlockFrames);
}

std::vector<float> renderSong(AEffect* effect, int song, int blocks) {
  prepareSong(effect, song);
  std::vector<float> samples(static_cast<size_t>(blocks) * 2 * kSongBlockFrames);
  for (int block = 0; block < blocks; ++block) {
    float* left = samples.data() + static_cast<size_t>(block) * 2 * kSongBlockFrames;
    playSongBlock(effect, song, block, left, left + kSongBlockFrames);
  }
  return samples;
}
