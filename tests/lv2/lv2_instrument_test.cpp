// The LV2 plug-in renders the VST 2 instrument's very bits: given the same
// parameter values, applied as each build applies them (a VST 2 host sets the
// sample rate, stores the values and selects the program again; an LV2 host
// writes the control ports), and the same MIDI at the same frames, every
// sample is equal, however the LV2 host cuts its blocks. Exact: both run the
// same engine, so nothing may differ.
#include <gtest/gtest.h>
#include <lv2/atom/util.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/parameter_table.h"
#include "instrument/synth_plugin.h"
#include "lv2/bundle_layout.h"
#include "lv2/lv2_instrument.h"

namespace {

using Values = std::array<float, kParameterCount>;
using Message = std::array<uint8_t, 3>;
struct SongEvent {
  int32_t frame;  // from the start of the song
  Message message;
};

// Notes alone and together, bend, vibrato, volume, pan and all notes off,
// some on one frame, some on the last frame of a VST 2 block.
const std::vector<SongEvent> kSong = {
    {0, {0x90, 48, 100}},     {0, {0x90, 55, 90}},     {700, {0xE0, 0, 90}},     {1300, {0x80, 48, 0}},
    {1300, {0x90, 60, 127}},  {2047, {0xB0, 1, 100}},  {2048, {0xB0, 10, 20}},   {3000, {0x90, 64, 70}},
    {4095, {0x80, 55, 0}},    {4096, {0x90, 67, 100}}, {5001, {0xB0, 7, 60}},    {6000, {0xB0, 123, 0}},
    {6500, {0x90, 72, 110}},  {8190, {0x80, 72, 0}},   {9000, {0xE0, 0, 10}},    {9001, {0x90, 36, 127}},
    {10000, {0xB0, 10, 127}}, {11111, {0x80, 36, 0}},  {12000, {0xB0, 126, 0}},
};
constexpr int32_t kSongFrames = 12288;
constexpr int32_t kVst2Block = 512;
// Values change every 4,096 frames: a whole number of VST 2 blocks, and the
// sum of these LV2 block lengths (zero, one and odd ones among them).
constexpr int32_t kValuesSpan = 4096;
const std::vector<int32_t> kChangingBlocks = {0, 1, 511, 300, 1024, 77, 0, 2183};

const Values& valuesAt(const std::vector<Values>& spans, int32_t frame) {
  return spans[static_cast<size_t>(frame / kValuesSpan) % spans.size()];
}

// Left channel, then right.
std::vector<float> renderVst2(float rate, const std::vector<Values>& spans) {
  SynthPlugin plugin(nullptr);
  plugin.setSampleRate(rate);
  std::vector<float> out(2 * kSongFrames);
  for (int32_t start = 0; start < kSongFrames; start += kVst2Block) {
    if (start % kValuesSpan == 0) {
      for (int p = 0; p < kParameterCount; ++p) plugin.setParameter(p, valuesAt(spans, start)[p]);
      plugin.setProgram(0);
    }
    std::vector<VstMidiEvent> midi;
    for (const SongEvent& e : kSong) {
      if (e.frame < start || e.frame >= start + kVst2Block) continue;
      VstMidiEvent event{};
      event.type = kVstMidiType;
      event.byteSize = sizeof event;
      event.deltaFrames = e.frame - start;
      for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(e.message[i]);
      midi.push_back(event);
    }
    std::vector<unsigned char> list(sizeof(VstEvents) + midi.size() * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = static_cast<int32_t>(midi.size());
    for (size_t i = 0; i < midi.size(); ++i) eventEntries(events)[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    plugin.processEvents(events);
    float* outputs[2] = {&out[start], &out[kSongFrames + start]};
    plugin.processReplacing(nullptr, outputs, kVst2Block);
  }
  return out;
}

// An LV2 host's ports: an atom sequence of MIDI events, eight controls.
struct Lv2Ports {
  static constexpr LV2_URID kMidiEvent = 1;
  alignas(8) uint8_t midi[4096];
  Values controls{};

  LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(midi); }
  void connect(Lv2Instrument& plugin) {
    plugin.connect(kMidiInPort, sequence());
    for (int p = 0; p < kParameterCount; ++p) plugin.connect(controlPortOf(p), &controls[p]);
  }
  void clearMidi() { sequence()->atom = LV2_Atom{sizeof(LV2_Atom_Sequence_Body), 0}; }
  void add(int64_t frame, const Message& message) {
    auto* event = reinterpret_cast<LV2_Atom_Event*>(midi + sizeof(LV2_Atom) + sequence()->atom.size);
    event->time.frames = frame;
    event->body = LV2_Atom{sizeof message, kMidiEvent};
    std::memcpy(event + 1, message.data(), sizeof message);
    sequence()->atom.size += lv2_atom_pad_size(sizeof(LV2_Atom_Event) + sizeof message);
  }
};

std::vector<float> renderLv2(double rate, const std::vector<Values>& spans, const std::vector<int32_t>& blocks) {
  Lv2Instrument plugin(rate, Lv2Ports::kMidiEvent);
  Lv2Ports ports;
  ports.connect(plugin);
  plugin.activate();
  std::vector<float> out(2 * kSongFrames);
  for (int32_t start = 0, next = 0; start < kSongFrames; start += blocks[next], next = (next + 1) % blocks.size()) {
    ports.controls = valuesAt(spans, start);
    ports.clearMidi();
    for (const SongEvent& e : kSong) {
      if (e.frame >= start && e.frame < start + blocks[next]) ports.add(e.frame - start, e.message);
    }
    plugin.connect(kLeftOutPort, &out[start]);
    plugin.connect(kRightOutPort, &out[kSongFrames + start]);
    plugin.run(static_cast<uint32_t>(blocks[next]));
  }
  return out;
}

TEST(Lv2Instrument, RendersTheVst2InstrumentsBitsForTheSameValues) {
  Values defaults;
  for (int p = 0; p < kParameterCount; ++p) defaults[p] = kParameters[p].defaultValue;
  const Values demo = {0.5f, 0.01f, 0.26f, 0.25f, 0.15f, 0.15f, 0.18f, 0.35f};
  const Values pad = {0.9f, 0.5f, 0.3f, 0.8f, 0.24f, 0.9f, 0.16f, 0.7f};
  const struct {
    const char* what;
    float rate;
    std::vector<Values> spans;
    std::vector<int32_t> blocks;
  } cases[] = {
      {"the default program", 44100.0f, {defaults}, {kVst2Block}},
      {"the demo's values at 48 kHz, blocks of changing length", 48000.0f, {demo}, kChangingBlocks},
      {"values changing during the song, at 96 kHz", 96000.0f, {demo, pad, defaults}, kChangingBlocks},
  };
  for (const auto& c : cases) {
    const std::vector<float> vst2 = renderVst2(c.rate, c.spans);
    EXPECT_TRUE(renderLv2(c.rate, c.spans, c.blocks) == vst2) << c.what;
    EXPECT_NE(vst2, std::vector<float>(vst2.size(), 0.0f)) << c.what << ": the song is heard";
  }
}

// Activating again starts afresh: a held, bent and panned note is gone, and
// the next block sounds as a new instance's first does.
TEST(Lv2Instrument, ActivateStartsSilentAndAfresh) {
  Lv2Ports ports;
  for (int p = 0; p < kParameterCount; ++p) ports.controls[p] = kParameters[p].defaultValue;
  const auto play = [&](Lv2Instrument& plugin, std::initializer_list<Message> messages) {
    std::vector<float> block(1024);
    ports.connect(plugin);
    plugin.connect(kLeftOutPort, &block[0]);
    plugin.connect(kRightOutPort, &block[512]);
    ports.clearMidi();
    for (const Message& m : messages) ports.add(0, m);
    plugin.run(512);
    return block;
  };
  Lv2Instrument used(48000.0, Lv2Ports::kMidiEvent), fresh(48000.0, Lv2Ports::kMidiEvent);
  const std::vector<float> silence(1024, 0.0f);
  ASSERT_TRUE(play(used, {{0x90, 60, 100}, {0xE0, 0, 100}, {0xB0, 10, 0}}) != silence);
  used.activate();
  EXPECT_TRUE(play(used, {}) == silence);
  EXPECT_TRUE(play(used, {{0x90, 64, 90}}) == play(fresh, {{0x90, 64, 90}}));
}

}  // namespace
