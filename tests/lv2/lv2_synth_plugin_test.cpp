// How an LV2 host cuts its blocks changes nothing: with zero-frame runs, one
// frame and odd lengths, and control values changing on the way, the plug-in
// renders the very bits it renders in blocks of 512 frames (which the
// crosscheck stage compares with the VST 2 module's files). A change heard a
// block late, or an event a frame off, would show. Exact comparison: the
// same engine does the same sums either way.
#include <gtest/gtest.h>
#include <lv2/atom/util.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/parameter_table.h"
#include "lv2/bundle_layout.h"
#include "lv2/lv2_synth_plugin.h"

namespace {

using Values = std::array<float, kParameterCount>;
using Message = std::array<uint8_t, 3>;

// An LV2 host's ports: an atom sequence of MIDI events and eight controls.
struct Lv2Ports {
  static constexpr LV2_URID kMidiEvent = 1;
  alignas(8) uint8_t midi[4096];
  Values controls{};

  explicit Lv2Ports(Lv2SynthPlugin& plugin) {
    plugin.connect(kMidiInPort, midi);
    for (int p = 0; p < kParameterCount; ++p) plugin.connect(controlPortOf(p), &controls[p]);
    for (int p = 0; p < kParameterCount; ++p) controls[p] = kParameters[p].defaultValue;
    clearMidi();
  }
  LV2_Atom* atom() { return reinterpret_cast<LV2_Atom*>(midi); }
  void clearMidi() { *atom() = LV2_Atom{sizeof(LV2_Atom_Sequence_Body), 0}; }
  void add(int64_t frame, const Message& message) {
    auto* event = reinterpret_cast<LV2_Atom_Event*>(midi + sizeof(LV2_Atom) + atom()->size);
    *event = LV2_Atom_Event{{frame}, {sizeof message, kMidiEvent}};
    std::memcpy(event + 1, message.data(), sizeof message);
    atom()->size += lv2_atom_pad_size(sizeof(LV2_Atom_Event) + sizeof message);
  }
};

// Notes alone and together, bend, vibrato, volume, pan and all notes off.
const std::vector<std::pair<int32_t, Message>> kSong = {
    {0, {0x90, 48, 100}},    {0, {0x90, 55, 90}},     {700, {0xE0, 0, 90}},   {1300, {0x80, 48, 0}},
    {1300, {0x90, 60, 127}}, {2047, {0xB0, 1, 100}},  {2048, {0xB0, 10, 20}}, {3000, {0x90, 64, 70}},
    {4095, {0x80, 55, 0}},   {4096, {0x90, 67, 100}}, {5001, {0xB0, 7, 60}},  {6000, {0xB0, 123, 0}},
    {6500, {0x90, 72, 110}}, {8190, {0x80, 72, 0}},   {9000, {0xE0, 0, 10}},  {9001, {0x90, 36, 127}},
};
constexpr int32_t kSongFrames = 12288;
// The values change every 4,096 frames, which both block plans below reach.
const std::vector<Values> kValues = {{0.5f, 0.01f, 0.26f, 0.25f, 0.15f, 0.15f, 0.18f, 0.35f},
                                     {0.9f, 0.5f, 0.3f, 0.8f, 0.24f, 0.9f, 0.16f, 0.7f},
                                     {0.1f, 0.0f, 0.5f, 0.3f, 0.0f, 0.1f, 0.3f, 0.15f}};

// Left channel, then right.
std::vector<float> render(const std::vector<int32_t>& blocks) {
  Lv2SynthPlugin plugin(96000.0, Lv2Ports::kMidiEvent);
  Lv2Ports ports(plugin);
  std::vector<float> out(2 * kSongFrames);
  for (int32_t start = 0, next = 0; start < kSongFrames; start += blocks[next], next = (next + 1) % blocks.size()) {
    ports.controls = kValues[start / 4096];
    ports.clearMidi();
    for (const auto& [frame, message] : kSong) {
      if (frame >= start && frame < start + blocks[next]) ports.add(frame - start, message);
    }
    plugin.connect(kLeftOutPort, &out[start]);
    plugin.connect(kRightOutPort, &out[kSongFrames + start]);
    plugin.run(static_cast<uint32_t>(blocks[next]));
  }
  return out;
}

TEST(Lv2SynthPlugin, RendersTheSameWhateverTheBlockLengths) {
  const std::vector<float> inBlocksOf512 = render({512});
  EXPECT_TRUE(render({0, 1, 511, 300, 1024, 77, 0, 2183}) == inBlocksOf512);  // adds up to 4,096
  EXPECT_TRUE(inBlocksOf512 != std::vector<float>(inBlocksOf512.size(), 0.0f));
}

// Activating again starts afresh: a held, bent and panned note is gone, and
// the next block sounds as a new instance's first does.
TEST(Lv2SynthPlugin, ActivateStartsSilentAndAfresh) {
  Lv2SynthPlugin used(48000.0, Lv2Ports::kMidiEvent), fresh(48000.0, Lv2Ports::kMidiEvent);
  const auto play = [](Lv2SynthPlugin& plugin, std::initializer_list<Message> messages) {
    Lv2Ports ports(plugin);
    std::vector<float> block(1024);
    plugin.connect(kLeftOutPort, &block[0]);
    plugin.connect(kRightOutPort, &block[512]);
    for (const Message& m : messages) ports.add(0, m);
    plugin.run(512);
    return block;
  };
  const std::vector<float> silence(1024, 0.0f);
  ASSERT_TRUE(play(used, {{0x90, 60, 100}, {0xE0, 0, 100}, {0xB0, 10, 0}}) != silence);
  used.activate();
  EXPECT_TRUE(play(used, {}) == silence);
  EXPECT_TRUE(play(used, {{0x90, 64, 90}}) == play(fresh, {{0x90, 64, 90}}));
}

}  // namespace
