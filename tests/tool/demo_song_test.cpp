// The demo song as examples/README says to render it: the piece it promises
// (length, bends, vibrato, pan and volume moves), notes that always find a
// free voice, chords that take all eight, and a render without clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "test_folder.h"
#include "tool_process.h"
#include "tools/commands/command_line.h"
#include "tools/files/midi_file.h"
#include "tools/files/midi_schedule.h"

namespace {

constexpr int32_t kRate = 44100;

// The "I=V" of the README's "--param I=V" lines, as written.
std::vector<std::string> readmeSettings() {
  std::ifstream readme(QUORLIN_EXAMPLES_DIR "/README");
  std::vector<std::string> settings;
  const std::string prefix = "--param ";
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind(prefix, 0) == 0) settings.push_back(line.substr(prefix.size()));
  }
  return settings;
}

// The README's values by parameter index, read as quorlin-host reads them.
std::vector<std::pair<int32_t, float>> readmeParameters() {
  std::vector<std::pair<int32_t, float>> values;
  for (const std::string& setting : readmeSettings()) {
    const size_t equals = setting.find('=');
    values.emplace_back(static_cast<int32_t>(parseWholeNumber("--param", setting.substr(0, equals), 0, 7, "")),
                        parseFloatValue("--param", setting.substr(equals + 1), ""));
  }
  return values;
}

MidiSchedule demoSchedule() { return scheduleMidiFile(readMidiFile(QUORLIN_EXAMPLES_DIR "/demo.mid"), kRate); }

int busyVoices(const SynthEngine& engine) {
  int busy = 0;
  for (int i = 0; i < SynthEngine::kVoiceCount; ++i) busy += engine.voice(i).isFree() ? 0 : 1;
  return busy;
}

TEST(DemoSong, IsAPieceOfTwentyToFortySecondsWithEverythingItPromises) {
  const MidiSchedule song = demoSchedule();
  EXPECT_GE(song.lastFrame, 20 * kRate);
  EXPECT_LE(song.lastFrame, 40 * kRate);
  std::set<int> bends, vibrato, volumes, pans;
  for (const ScheduledEvent& event : song.events) {
    const int kind = event.bytes[0] & 0xF0;
    if (kind == 0xE0) bends.insert(event.bytes[2]);
    if (kind == 0xB0 && event.bytes[1] == 1) vibrato.insert(event.bytes[2]);
    if (kind == 0xB0 && event.bytes[1] == 7) volumes.insert(event.bytes[2]);
    if (kind == 0xB0 && event.bytes[1] == 10) pans.insert(event.bytes[2]);
  }
  EXPECT_GT(bends.size(), 2u) << "bends up and down from the centre";
  EXPECT_LT(*bends.begin(), 64);
  EXPECT_GT(*vibrato.rbegin(), 0);
  EXPECT_GT(volumes.size(), 2u);
  EXPECT_GT(pans.size(), 2u);
  EXPECT_EQ(readmeParameters().size(), 8u) << "the README gives a value for each parameter";
}

// The engine plays the song with the README's values; before each group of
// note-ons at one frame there must be as many free voices as notes, and at
// some point all eight must sound.
TEST(DemoSong, EveryNoteFindsAFreeVoiceAndTheChordsTakeAllEight) {
  std::vector<float> values = {0.5f, 0.0f, 0.3f, 0.0f, 0.3f, 0.0f, 0.999f, 0.999f};
  for (const auto& [index, value] : readmeParameters()) values[index] = value;
  SynthEngine engine;
  engine.setSampleRate(static_cast<float>(kRate));
  engine.setWaveform(values[0]);
  engine.setFilter(values[6], values[7]);
  engine.setEnvelope(values[1], values[2], values[3], values[4], values[5]);

  const MidiSchedule song = demoSchedule();
  std::vector<float> left(static_cast<size_t>(song.lastFrame) + 1);
  std::vector<float> right(left.size());
  int64_t position = 0;
  int mostBusy = 0;
  for (size_t first = 0; first < song.events.size();) {
    const int64_t frame = song.events[first].frame;
    std::vector<MidiEvent> group;
    int noteOns = 0;
    for (; first < song.events.size() && song.events[first].frame == frame; ++first) {
      const ScheduledEvent& event = song.events[first];
      group.push_back({0, event.bytes[0], event.bytes[1], event.bytes[2]});
      noteOns += (event.bytes[0] & 0xF0) == 0x90 && event.bytes[2] > 0 ? 1 : 0;
    }
    RenderCursor idle;
    engine.render(nullptr, 0, idle, left.data(), right.data(), static_cast<int32_t>(frame - position));
    EXPECT_LE(noteOns, SynthEngine::kVoiceCount - busyVoices(engine)) << "note-ons dropped at frame " << frame;
    RenderCursor cursor;
    engine.render(group.data(), static_cast<int32_t>(group.size()), cursor, left.data(), right.data(), 1);
    position = frame + 1;
    mostBusy = std::max(mostBusy, busyVoices(engine));
  }
  EXPECT_EQ(mostBusy, SynthEngine::kVoiceCount);
}

TEST(DemoSong, RendersThroughQuorlinWithoutClipping) {
  TestFolder folder;
  std::string options;
  for (const std::string& setting : readmeSettings()) options += " --param " + setting;
  const ToolRun run = runTool(
      folder, "render --format s16" + options + " " QUORLIN_EXAMPLES_DIR "/demo.mid " + folder.file("demo.wav"));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find(", 0 samples clipped, "), std::string::npos) << run.out;
}

}  // namespace
