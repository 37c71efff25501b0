// The CLAP plug-in driven through its C interface. Its sound is the VST 2
// build's: for the same notes and values at the same frames it renders the
// bits the engine renders when the values are applied as a VST 2 host's
// program change applies them, between blocks cut at their frames; however
// the host cuts its blocks, and whether the notes come as CLAP notes or as
// MIDI. A parameter heard a block late or early, or an event a frame off,
// would show. Exact comparison: the same engine does the same sums.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"
#include "clap/interface/clap_abi_preset_discovery.h"
#include "clap/module_factories.h"
#include "clap_test_host.h"
#include "engine/factory_sounds.h"
#include "engine/parameter_table.h"
#include "engine/synth_engine.h"

namespace {

using Values = std::array<float, kParameterCount>;
using Message = std::array<uint8_t, 3>;

constexpr double kRate = 96000.0;
constexpr uint32_t kSongFrames = 12288;
// Notes alone and together, bend, vibrato, volume, pan and all notes off.
const std::vector<std::pair<uint32_t, Message>> kSong = {
    {0, {0x90, 48, 100}},    {0, {0x90, 55, 90}},     {700, {0xE0, 0, 90}},   {1300, {0x80, 48, 0}},
    {1300, {0x90, 60, 127}}, {2047, {0xB0, 1, 100}},  {2048, {0xB0, 10, 20}}, {3000, {0x90, 64, 70}},
    {4095, {0x80, 55, 0}},   {4096, {0x90, 67, 100}}, {5001, {0xB0, 7, 60}},  {6000, {0xB0, 123, 0}},
    {6500, {0x90, 72, 110}}, {8190, {0x90, 72, 0}},   {9000, {0xE0, 0, 10}},  {9001, {0x90, 36, 127}},
};
// The values from each frame on; the later two arrive inside blocks of 512.
const std::vector<std::pair<uint32_t, Values>> kValues = {
    {0, {0.5f, 0.01f, 0.26f, 0.25f, 0.15f, 0.15f, 0.18f, 0.35f}},
    {700, {0.9f, 0.5f, 0.3f, 0.8f, 0.24f, 0.9f, 0.16f, 0.7f}},
    {5001, {0.1f, 0.0f, 0.5f, 0.3f, 0.0f, 0.1f, 0.3f, 0.15f}},
};

// A VST 2 host's way: blocks cut where the values change, the values applied
// between them in a program change's order, the MIDI rendered with its list.
std::vector<float> renderAsVst2() {
  SynthEngine engine;
  engine.setSampleRate(static_cast<float>(kRate));
  std::vector<float> out(2 * kSongFrames);
  for (size_t part = 0; part < kValues.size(); ++part) {
    const auto& [start, v] = kValues[part];
    const uint32_t end = part + 1 < kValues.size() ? kValues[part + 1].first : kSongFrames;
    engine.setWaveform(v[waveform]);
    engine.setFilter(v[cutoff], v[damping]);
    engine.setEnvelope(v[attackTime], v[peakLevel], v[decayTime], v[sustainLevel], v[releaseTime]);
    std::vector<MidiEvent> events;
    for (const auto& [frame, m] : kSong) {
      if (frame >= start && frame < end) events.push_back({static_cast<int32_t>(frame - start), m[0], m[1], m[2]});
    }
    RenderCursor cursor;
    engine.render(events.data(), static_cast<int32_t>(events.size()), cursor, &out[start], &out[kSongFrames + start],
                  static_cast<int32_t>(end - start));
  }
  return out;
}

enum class Dialect { clap, midi };

// A note-on or note-off as CLAP's note event, anything else as MIDI.
void addMessage(InputEvents& in, uint32_t frame, const Message& m, Dialect dialect, int32_t noteId) {
  const int kind = m[0] & 0xF0;
  if (dialect == Dialect::clap && kind == 0x90 && m[2] != 0) {
    in.note(CLAP_EVENT_NOTE_ON, frame, m[1], m[2] / 127.0, noteId);
  } else if (dialect == Dialect::clap && (kind == 0x80 || kind == 0x90)) {
    in.note(CLAP_EVENT_NOTE_OFF, frame, m[1]);
  } else {
    in.midi(frame, m[0], m[1], m[2]);
  }
}

// The song in blocks of the lengths given (repeated), every value sent as a
// parameter event at its frame.
std::vector<float> renderAsClap(const std::vector<uint32_t>& blocks, Dialect dialect) {
  TestHost host;
  PluginInstance instance(host);
  EXPECT_TRUE(instance.activate(kRate));
  std::vector<float> out(2 * kSongFrames);
  for (uint32_t start = 0, next = 0; start < kSongFrames; start += blocks[next], next = (next + 1) % blocks.size()) {
    const uint32_t end = start + blocks[next];
    InputEvents in;
    for (const auto& [frame, values] : kValues) {
      if (frame < start || frame >= end) continue;
      for (int p = 0; p < kParameterCount; ++p) in.parameter(frame - start, static_cast<clap_id>(p), values[p]);
    }
    for (size_t i = 0; i < kSong.size(); ++i) {
      const auto& [frame, message] = kSong[i];
      if (frame >= start && frame < end) addMessage(in, frame - start, message, dialect, static_cast<int32_t>(i));
    }
    instance.process(blocks[next], &out[start], &out[kSongFrames + start], in);
  }
  return out;
}

TEST(ClapSynthPlugin, RendersTheVst2BitsWhateverTheBlocksAndDialect) {
  const std::vector<float> reference = renderAsVst2();
  ASSERT_TRUE(reference != std::vector<float>(reference.size(), 0.0f));
  const struct {
    const char* plan;
    std::vector<uint32_t> blocks;
    Dialect dialect;
  } cases[] = {
      {"blocks of 512, values in their middle", {512}, Dialect::clap},
      {"blocks of 512, MIDI notes", {512}, Dialect::midi},
      {"odd and empty blocks", {0, 1, 511, 300, 1024, 77, 0, 2183}, Dialect::clap},
      {"blocks cut at the values' frames", {700, 4301, 7287}, Dialect::clap},
  };
  for (const auto& c : cases) EXPECT_TRUE(renderAsClap(c.blocks, c.dialect) == reference) << c.plan;
}

// The host hears of a note's end once its voice falls silent, and at once of
// a note that found no free voice, by the address it gave the note.
TEST(ClapSynthPlugin, TellsTheHostWhenNotesEnd) {
  TestHost host;
  PluginInstance instance(host);
  ASSERT_TRUE(instance.activate(48000.0));
  std::vector<float> left(256), right(256);
  InputEvents in;
  for (int16_t key = 60; key < 69; ++key) in.note(CLAP_EVENT_NOTE_ON, 10, key, 0.8, key * 10);  // nine notes
  in.note(CLAP_EVENT_NOTE_OFF, 100, 60);  // no release time: silent a frame later
  OutputEvents out;
  EXPECT_EQ(instance.process(256, left.data(), right.data(), in, &out), CLAP_PROCESS_CONTINUE);
  ASSERT_EQ(out.types(), (std::vector<uint16_t>{CLAP_EVENT_NOTE_END, CLAP_EVENT_NOTE_END}));
  const auto& dropped = reinterpret_cast<const clap_event_note_t&>(out.at(0));
  const auto& ended = reinterpret_cast<const clap_event_note_t&>(out.at(1));
  EXPECT_EQ(dropped.key, 68);
  EXPECT_EQ(dropped.note_id, 680);
  EXPECT_EQ(dropped.header.time, 10u);
  EXPECT_EQ(ended.key, 60);
  EXPECT_EQ(ended.note_id, 600);
}

// Every value a parameter holds reads back from its text exactly, whatever
// the text's unit; a text that is no value is refused.
TEST(ClapSynthPlugin, ParameterTextsReadBackAsTheirValues) {
  TestHost host;
  PluginInstance instance(host);
  const auto* params = instance.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  const struct {
    clap_id parameter;
    double value;
    const char* text;
  } cases[] = {{0, 0.25, "0.25 (Square)"}, {0, 0.33f, "0.33 (Sawtooth)"}, {0, 1.0, "1 (Triangle)"},
               {1, 0.004f, "0.004 s"}, {6, 0.999f, "0.999"}, {7, 1e-06f, "1e-06"}};
  for (const auto& c : cases) {
    char text[64];
    ASSERT_TRUE(params->value_to_text(instance.plugin(), c.parameter, c.value, text, sizeof text));
    EXPECT_EQ(std::string(text), c.text);
    double back = -1.0;
    EXPECT_TRUE(params->text_to_value(instance.plugin(), c.parameter, text, &back));
    EXPECT_EQ(back, static_cast<double>(static_cast<float>(c.value))) << text;
  }
  double value = -1.0;
  EXPECT_TRUE(params->text_to_value(instance.plugin(), 0, " triangle ", &value));
  EXPECT_EQ(value, 1.0);
  for (const char* refused : {"", "loud", "0.5 (Square)", "nan", "0.5 m"}) {
    EXPECT_FALSE(params->text_to_value(instance.plugin(), 1, refused, &value)) << refused;
  }
}

// What a host's preset indexer learns: the locations declared, and each
// preset's name, load key, plug-in and flags.
struct Indexed {
  std::vector<uint32_t> locationKinds;
  std::vector<std::string> presets;  // "name|key|abi:id|flags"
};

std::string operator+(std::string text, uint32_t number) { return text + std::to_string(number); }

Indexed indexFactorySounds(const char* factoryId) {
  Indexed found;
  const auto* factory = static_cast<const clap_preset_discovery_factory_t*>(moduleFactory(factoryId));
  clap_preset_discovery_indexer_t indexer{};
  indexer.indexer_data = &found;
  indexer.declare_location = [](const clap_preset_discovery_indexer_t* self, const clap_preset_discovery_location_t* l) {
    static_cast<Indexed*>(self->indexer_data)->locationKinds.push_back(l->kind);
    return true;
  };
  const auto* provider = factory->create(factory, &indexer, factory->get_descriptor(factory, 0)->id);
  EXPECT_TRUE(provider->init(provider));
  clap_preset_discovery_metadata_receiver_t receiver{};
  receiver.receiver_data = &found;
  receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver_t* self, const char* name, const char* key) {
    static_cast<Indexed*>(self->receiver_data)->presets.push_back(std::string(name) + "|" + key);
    return true;
  };
  receiver.add_plugin_id = [](const clap_preset_discovery_metadata_receiver_t* self, const clap_universal_plugin_id_t* id) {
    static_cast<Indexed*>(self->receiver_data)->presets.back() += std::string("|") + id->abi + ":" + id->id;
  };
  receiver.set_flags = [](const clap_preset_discovery_metadata_receiver_t* self, uint32_t flags) {
    static_cast<Indexed*>(self->receiver_data)->presets.back() += std::string("|") + flags;
  };
  EXPECT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &receiver));
  provider->destroy(provider);
  return found;
}

// A host lists the four factory sounds under either id of the preset
// discovery, and loads each by its load key into an instance.
TEST(ClapSynthPlugin, ListsAndLoadsTheFactorySounds) {
  for (const char* id : {CLAP_PRESET_DISCOVERY_FACTORY_ID, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT}) {
    const Indexed found = indexFactorySounds(id);
    EXPECT_EQ(found.locationKinds, std::vector<uint32_t>{CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN}) << id;
    EXPECT_EQ(found.presets, (std::vector<std::string>{"Round Bass|round-bass|clap:quorlin.instrument|1",
                                                       "Warm Pad|warm-pad|clap:quorlin.instrument|1",
                                                       "Resonant Pluck|resonant-pluck|clap:quorlin.instrument|1",
                                                       "Bright Lead|bright-lead|clap:quorlin.instrument|1"}))
        << id;
  }
  TestHost host;
  PluginInstance instance(host);
  const auto* load = instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  ASSERT_EQ(load, instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT));
  for (const FactorySound& sound : kFactorySounds) {
    ASSERT_TRUE(load->from_location(instance.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, sound.slug));
    for (clap_id p = 0; p < kParameterCount; ++p) EXPECT_EQ(instance.value(p), sound.values[p]) << sound.name;
  }
  EXPECT_EQ(host.requests.valueRescans, kFactorySoundCount);
  EXPECT_FALSE(load->from_location(instance.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "loud-lead"));
  EXPECT_FALSE(load->from_location(instance.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_FILE, "round-bass", "round-bass"));
}

}  // namespace
