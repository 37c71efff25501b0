// The CLAP plug-in driven through its C interface. A value is heard from its
// event's frame: the song with values changing in the middle of blocks of
// 512 renders the bits it renders in blocks cut at those frames, and so it
// does in odd and empty blocks and with the notes as MIDI. (The crosscheck
// stage compares the plug-in's files with the VST 2 module's.) A value heard
// at a block's start, or an event a frame off, would show. Exact comparison:
// the same engine does the same sums either way.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "clap_test_host.h"
#include "engine/parameters.h"

namespace {

using Message = std::array<uint8_t, 3>;

constexpr uint32_t kSongFrames = 12288;
// Notes alone and together, bend, vibrato, volume, pan and all notes off.
const std::vector<std::pair<uint32_t, Message>> kSong = {
    {0, {0x90, 48, 100}},    {0, {0x90, 55, 90}},     {700, {0xE0, 0, 90}},   {1300, {0x80, 48, 0}},
    {1300, {0x90, 60, 127}}, {2047, {0xB0, 1, 100}},  {2048, {0xB0, 10, 20}}, {3000, {0x90, 64, 70}},
    {4095, {0x80, 55, 0}},   {4096, {0x90, 67, 100}}, {5001, {0xB0, 7, 60}},  {6000, {0xB0, 123, 0}},
    {6500, {0x90, 72, 110}}, {8190, {0x90, 72, 0}},   {9000, {0xE0, 0, 10}},  {9001, {0x90, 36, 127}},
};
// The values from each frame on.
const std::vector<std::pair<uint32_t, std::array<float, kParameterCount>>> kValues = {
    {0, {0.5f, 0.01f, 0.26f, 0.25f, 0.15f, 0.15f, 0.18f, 0.35f}},
    {700, {0.9f, 0.5f, 0.3f, 0.8f, 0.24f, 0.9f, 0.16f, 0.7f}},
    {5001, {0.1f, 0.0f, 0.5f, 0.3f, 0.0f, 0.1f, 0.3f, 0.15f}},
};

// In CLAP's dialect a note-on or note-off is a note event; the rest is MIDI.
void addMessage(ClapEvents& in, uint32_t frame, const Message& m, bool asMidi, int32_t noteId) {
  const int kind = m[0] & 0xF0;
  if (asMidi || (kind != 0x80 && kind != 0x90)) {
    in.midi(frame, m[0], m[1], m[2]);
  } else if (kind == 0x90 && m[2] != 0) {
    in.note(CLAP_EVENT_NOTE_ON, frame, m[1], m[2] / 127.0, noteId);
  } else {
    in.note(CLAP_EVENT_NOTE_OFF, frame, m[1]);
  }
}

// The song at 96 kHz in blocks of the lengths given (repeated), every value
// sent as a parameter event at its frame; left channel, then right.
std::vector<float> render(const std::vector<uint32_t>& blocks, bool asMidi) {
  TestHost host;
  PluginInstance instance(host, 96000.0);
  std::vector<float> out(2 * kSongFrames);
  for (uint32_t start = 0, next = 0; start < kSongFrames; start += blocks[next], next = (next + 1) % blocks.size()) {
    const uint32_t end = start + blocks[next];
    ClapEvents in;
    for (const auto& [frame, values] : kValues) {
      if (frame < start || frame >= end) continue;
      for (int p = 0; p < kParameterCount; ++p) in.parameter(frame - start, static_cast<clap_id>(p), values[p]);
    }
    for (size_t i = 0; i < kSong.size(); ++i) {
      const auto& [frame, message] = kSong[i];
      if (frame >= start && frame < end) addMessage(in, frame - start, message, asMidi, static_cast<int32_t>(i));
    }
    instance.process(blocks[next], &out[start], &out[kSongFrames + start], in);
  }
  return out;
}

TEST(ClapSynthPlugin, HearsEachValueFromItsFrameWhateverTheBlocksAndDialect) {
  const std::vector<float> cutAtTheValues = render({700, 4301, 7287}, false);
  ASSERT_TRUE(cutAtTheValues != std::vector<float>(cutAtTheValues.size(), 0.0f));
  EXPECT_TRUE(render({512}, false) == cutAtTheValues) << "values in the middle of blocks";
  EXPECT_TRUE(render({512}, true) == cutAtTheValues) << "notes as MIDI";
  EXPECT_TRUE(render({0, 1, 511, 300, 1024, 77, 0, 2183}, false) == cutAtTheValues) << "odd and empty blocks";
}

// The host hears of a note's end once its voice falls silent, and at once of
// a note that found no free voice, by the address it gave the note.
TEST(ClapSynthPlugin, TellsTheHostWhenNotesEnd) {
  TestHost host;
  PluginInstance instance(host);
  std::vector<float> left(256), right(256);
  ClapEvents in, out;
  for (int16_t key = 60; key < 69; ++key) in.note(CLAP_EVENT_NOTE_ON, 10, key, 0.8, key * 10);  // nine notes
  in.note(CLAP_EVENT_NOTE_OFF, 100, 60);  // no release time: silent a frame later
  EXPECT_EQ(instance.process(256, left.data(), right.data(), in, &out), CLAP_PROCESS_CONTINUE);
  ASSERT_EQ(out.types(), (std::vector<uint16_t>{CLAP_EVENT_NOTE_END, CLAP_EVENT_NOTE_END}));
  EXPECT_EQ(out.at<clap_event_note_t>(0).note_id, 680);  // the ninth, at its frame
  EXPECT_EQ(out.at<clap_event_note_t>(0).header.time, 10u);
  EXPECT_EQ(out.at<clap_event_note_t>(1).note_id, 600);
  EXPECT_EQ(out.at<clap_event_note_t>(1).key, 60);
}

// A value's text reads back as exactly that value; a text that is no value
// of the parameter is refused.
TEST(ClapSynthPlugin, ParameterTextsReadBackAsTheirValues) {
  TestHost host;
  PluginInstance instance(host);
  const auto* params = instance.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  const struct {
    clap_id parameter;
    float value;
    const char* text;
  } cases[] = {{0, 0.25f, "0.25 (Square)"}, {0, 0.33f, "0.33 (Sawtooth)"}, {1, 0.004f, "0.004 s"},
               {6, 0.999f, "0.999"},        {7, 1e-06f, "1e-06"}};
  for (const auto& c : cases) {
    char text[64];
    ASSERT_TRUE(params->value_to_text(instance.plugin, c.parameter, c.value, text, sizeof text));
    EXPECT_EQ(std::string(text), c.text);
    double back = -1.0;
    EXPECT_TRUE(params->text_to_value(instance.plugin, c.parameter, text, &back) && back == c.value) << text;
  }
  double value = -1.0;
  EXPECT_TRUE(params->text_to_value(instance.plugin, waveform, " triangle ", &value) && value == 1.0);
  for (const char* refused : {"", "loud", "0.5 (Square)", "nan", "0.5 m"}) {
    EXPECT_FALSE(params->text_to_value(instance.plugin, attackTime, refused, &value)) << refused;
  }
}

}  // namespace
