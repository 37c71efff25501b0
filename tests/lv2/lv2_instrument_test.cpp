// The LV2 plug-in renders the VST 2 instrument's very bits: given the same
// parameter values, applied as each build applies them (a VST 2 host sets the
// sample rate, stores the values and selects the program again; an LV2 host
// writes the control ports), and the same MIDI at the same frames, every
// sample is equal. Exact: both run the same engine, so nothing may differ.
#include <gtest/gtest.h>
#include <lv2/atom/util.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engine/factory_sounds.h"
#include "engine/parameter_table.h"
#include "instrument/synth_plugin.h"
#include "lv2/bundle_layout.h"
#include "lv2/lv2_instrument.h"

namespace {

using Values = std::array<float, kParameterCount>;

struct SongEvent {
  int32_t frame;  // from the start of the song
  uint8_t status, data1, data2;
};

// Notes alone and together, bend, vibrato, volume, pan and all notes off,
// some on the same frame, over 12,288 frames.
const std::vector<SongEvent> kSong = {
    {0, 0x90, 48, 100},     {0, 0x90, 55, 90},      {700, 0xE0, 0, 90},    {1300, 0x80, 48, 0},
    {1300, 0x90, 60, 127},  {2047, 0xB0, 1, 100},   {2048, 0xB0, 10, 20},  {3000, 0x90, 64, 70},
    {4095, 0x80, 55, 0},    {4096, 0x90, 67, 100},  {5001, 0xB0, 7, 60},   {6000, 0xB0, 123, 0},
    {6500, 0x90, 72, 110},  {7000, 0x90, 76, 100},  {8190, 0x80, 72, 0},   {9000, 0xE0, 0, 10},
    {9001, 0x90, 36, 127},  {10000, 0xB0, 10, 127}, {11111, 0x80, 36, 0},  {12000, 0xB0, 126, 0},
};
constexpr int32_t kSongFrames = 12288;
constexpr int32_t kVst2Block = 512;
// The LV2 host's block lengths, over and over: zero, one and odd lengths.
// They add up to 4,096, a whole number of the VST 2 host's blocks, so
// values that change every 4,096 frames change at the same frame in both.
const std::vector<int32_t> kChangingBlocks = {0, 1, 511, 300, 1024, 77, 0, 2183};
constexpr int32_t kValuesSpan = 4096;

Values defaults() {
  Values values;
  for (int p = 0; p < kParameterCount; ++p) values[p] = kParameters[p].defaultValue;
  return values;
}

Values factory(int sound) {
  Values values;
  std::memcpy(values.data(), kFactorySounds[sound].values, sizeof values);
  return values;
}

// A VST 2 host that sets values as quorlin-host does, before any block.
std::vector<float> renderVst2(float rate, const std::vector<Values>& valuesBySpan) {
  SynthPlugin plugin(nullptr);
  plugin.setSampleRate(rate);
  std::vector<float> out(2 * kSongFrames);
  for (int32_t start = 0; start < kSongFrames; start += kVst2Block) {
    if (start % kValuesSpan == 0) {
      const Values& values = valuesBySpan[(start / kValuesSpan) % valuesBySpan.size()];
      for (int p = 0; p < kParameterCount; ++p) plugin.setParameter(p, values[p]);
      plugin.setProgram(0);
    }
    std::vector<VstMidiEvent> midi;
    for (const SongEvent& e : kSong) {
      if (e.frame < start || e.frame >= start + kVst2Block) continue;
      VstMidiEvent event{};
      event.type = kVstMidiType;
      event.byteSize = sizeof event;
      event.deltaFrames = e.frame - start;
      event.midiData[0] = static_cast<char>(e.status);
      event.midiData[1] = static_cast<char>(e.data1);
      event.midiData[2] = static_cast<char>(e.data2);
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

// An LV2 host's atom sequence of MIDI events, as it fills the port's buffer.
class MidiSequence {
 public:
  static constexpr LV2_URID kMidiEvent = 1;
  void clear() {
    sequence()->atom.type = 0;
    sequence()->atom.size = sizeof(LV2_Atom_Sequence_Body);
    sequence()->body.unit = 0;
    sequence()->body.pad = 0;
  }
  void add(int64_t frame, const uint8_t (&message)[3]) {
    auto* event = reinterpret_cast<LV2_Atom_Event*>(bytes + sizeof(LV2_Atom) + sequence()->atom.size);
    event->time.frames = frame;
    event->body = LV2_Atom{sizeof message, kMidiEvent};
    std::memcpy(event + 1, message, sizeof message);
    sequence()->atom.size += lv2_atom_pad_size(sizeof(LV2_Atom_Event) + sizeof message);
  }
  LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(bytes); }

 private:
  alignas(8) uint8_t bytes[4096];
};

std::vector<float> renderLv2(double rate, const std::vector<Values>& valuesBySpan, const std::vector<int32_t>& blocks) {
  Lv2Instrument plugin(rate, MidiSequence::kMidiEvent);
  MidiSequence midi;
  Values ports{};
  std::vector<float> out(2 * kSongFrames);
  plugin.connect(kMidiInPort, midi.sequence());
  for (int p = 0; p < kParameterCount; ++p) plugin.connect(controlPortOf(p), &ports[p]);
  plugin.activate();
  size_t next = 0;
  for (int32_t start = 0; start < kSongFrames; next = (next + 1) % blocks.size()) {
    const int32_t frames = std::min(blocks[next], kSongFrames - start);
    ports = valuesBySpan[(start / kValuesSpan) % valuesBySpan.size()];
    midi.clear();
    for (const SongEvent& e : kSong) {
      if (e.frame >= start && e.frame < start + frames) midi.add(e.frame - start, {e.status, e.data1, e.data2});
    }
    plugin.connect(kLeftOutPort, &out[start]);
    plugin.connect(kRightOutPort, &out[kSongFrames + start]);
    plugin.run(static_cast<uint32_t>(frames));
    start += frames;
  }
  return out;
}

// The first sample (left channel first) where two renders differ, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  const auto where = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return where.first == a.end() && where.second == b.end() ? -1 : where.first - a.begin();
}

TEST(Lv2Instrument, RendersTheVst2InstrumentsBitsForTheSameValues) {
  const Values demo = {0.5f, 0.01f, 0.26f, 0.25f, 0.15f, 0.15f, 0.18f, 0.35f};
  const struct {
    const char* what;
    float rate;
    std::vector<Values> values;
    std::vector<int32_t> blocks;
  } cases[] = {
      {"the default program", 44100.0f, {defaults()}, {kVst2Block}},
      {"the demo's values at 48 kHz, blocks of changing length", 48000.0f, {demo}, kChangingBlocks},
      {"Round Bass at 96 kHz", 96000.0f, {factory(0)}, {kVst2Block}},
      {"Warm Pad", 44100.0f, {factory(1)}, kChangingBlocks},
      {"Resonant Pluck", 48000.0f, {factory(2)}, {kVst2Block}},
      {"Bright Lead", 44100.0f, {factory(3)}, {kVst2Block}},
      {"values changing during the song", 48000.0f, {demo, factory(1), factory(3)}, kChangingBlocks},
  };
  for (const auto& c : cases) {
    const std::vector<float> vst2 = renderVst2(c.rate, c.values);
    EXPECT_EQ(firstDifference(renderLv2(c.rate, c.values, c.blocks), vst2), -1) << c.what;
    EXPECT_NE(vst2, std::vector<float>(vst2.size(), 0.0f)) << c.what << ": the song is heard";
  }
}

// Activating again starts afresh: a held, bent and panned note is gone, and
// the next block sounds as a new instance's does.
TEST(Lv2Instrument, ActivateStartsSilentAndAfresh) {
  MidiSequence midi;
  Values ports = defaults();
  std::vector<float> block(2 * 512);
  const auto connect = [&](Lv2Instrument& plugin) {
    plugin.connect(kMidiInPort, midi.sequence());
    plugin.connect(kLeftOutPort, &block[0]);
    plugin.connect(kRightOutPort, &block[512]);
    for (int p = 0; p < kParameterCount; ++p) plugin.connect(controlPortOf(p), &ports[p]);
  };
  const auto play = [&](Lv2Instrument& plugin, std::initializer_list<std::array<uint8_t, 3>> messages) {
    midi.clear();
    for (const auto& m : messages) midi.add(0, {m[0], m[1], m[2]});
    plugin.run(512);
    return block;
  };
  Lv2Instrument used(48000.0, MidiSequence::kMidiEvent);
  connect(used);
  ASSERT_NE(play(used, {{0x90, 60, 100}, {0xE0, 0, 100}, {0xB0, 10, 0}}), std::vector<float>(1024, 0.0f));

  used.activate();
  EXPECT_EQ(play(used, {}), std::vector<float>(1024, 0.0f));
  const std::vector<float> afterActivate = play(used, {{0x90, 64, 90}});
  Lv2Instrument fresh(48000.0, MidiSequence::kMidiEvent);
  connect(fresh);
  EXPECT_EQ(firstDifference(afterActivate, play(fresh, {{0x90, 64, 90}})), -1);
}

}  // namespace
