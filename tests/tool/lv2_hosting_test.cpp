// quorlin-host with LV2 instruments Debian ships (synthv1, Ardour's
// reasonablesynth), and the one-line refusals of what it cannot host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

constexpr int kRate = 44100;
const std::string kSynthv1 = std::string(LV2_PLUGIN_FOLDER) + "/synthv1.lv2";
const std::string kReasonableSynth = std::string(LV2_PLUGIN_FOLDER) + "/reasonablesynth.lv2";

// C4 from 1.0 s to 1.5 s, G4 from 3.0 s to 3.5 s, the end at 4.0 s.
Bytes twoNotesSong() {
  return midiFile(0, 480,
                  {TrackBytes()
                       .event(960, {0x90, 60, 100})
                       .event(480, {0x80, 60, 0})
                       .event(1440, {0x90, 67, 100})
                       .event(480, {0x80, 67, 0})
                       .end(480)});
}

std::string turtlePlugin(const std::string& uri, const std::string& extra, bool midiInput = true) {
  const std::string midi = "[ a lv2:InputPort, atom:AtomPort ; atom:bufferType atom:Sequence ; "
                           "atom:supports midi:MidiEvent ; lv2:index 0 ; lv2:symbol \"midi\" ; lv2:name \"MIDI\" ]";
  const std::string control = "[ a lv2:InputPort, lv2:ControlPort ; lv2:index 0 ; lv2:symbol \"gain\" ; "
                              "lv2:name \"Gain\" ]";
  return "<" + uri + "> a lv2:Plugin, lv2:InstrumentPlugin ; lv2:binary <absent.so> ; doap:name \"Test\" ; " + extra +
         " lv2:port " + (midiInput ? midi : control) +
         ", [ a lv2:OutputPort, lv2:AudioPort ; lv2:index 1 ; lv2:symbol \"out\" ; lv2:name \"Out\" ] .\n";
}

class Lv2Hosting : public ::testing::Test {
 protected:
  Lv2Hosting() {
    // synthv1 starts Qt even for its sound; it needs no screen, only this.
    setEnvironment("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path runtime = std::filesystem::absolute(folder_.file("runtime"));
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setEnvironment("XDG_RUNTIME_DIR", runtime.string());
    song_ = folder_.write("song.mid", twoNotesSong());
  }

  // A bundle folder of the test's own holding `turtle` as its manifest.
  std::string bundle(const std::string& name, const std::string& turtle) {
    const std::string prefixes =
        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> . @prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
        "@prefix midi: <http://lv2plug.in/ns/ext/midi#> . @prefix doap: <http://usefulinc.com/ns/doap#> .\n";
    std::filesystem::create_directories(folder_.file(name));
    const std::string text = prefixes + turtle;
    folder_.write(name + "/manifest.ttl", Bytes(text.begin(), text.end()));
    return folder_.file(name);
  }

  ToolRun render(const std::string& options, const std::string& output = "out.wav") {
    return runTool(folder_, "render --quiet " + options + " " + song_ + " " + folder_.file(output));
  }

  TestFolder folder_;
  std::string song_;
};

TEST_F(Lv2Hosting, NotesStartOnTheirFramesAndTheSongEndsOnItsLastFrame) {
  for (const std::string& plugin : {kSynthv1, kReasonableSynth}) {
    for (const int block : {100, 512}) {
      const ToolRun run = render("--block " + std::to_string(block) + " --plugin " + plugin);
      ASSERT_EQ(run.exitStatus, 0) << plugin << ": " << run.err;
      const std::vector<float> samples = floatSamples(folder_.read("out.wav"));
      // Exact: the song's 4 s and the default 1 s tail, in two channels.
      EXPECT_EQ(samples.size(), 2u * 5 * kRate) << plugin;
      // Exact but for the synthesizers' own attack, which may start at zero: silence
      // until the first note's frame, sound from the next one at the latest.
      const auto first = std::find_if(samples.begin(), samples.end(), [](float s) { return s != 0.0f; });
      const auto firstFrame = (first - samples.begin()) / 2;
      EXPECT_GE(firstFrame, kRate) << plugin << " at block " << block;
      EXPECT_LE(firstFrame, kRate + 1) << plugin << " at block " << block;
    }
  }
}

TEST_F(Lv2Hosting, APresetSavedByARenderSoundsTheSameWhenLoaded) {
  const std::string plugin = " --plugin " + kSynthv1;
  ASSERT_EQ(render(plugin + " --param DCF1_CUTOFF=0.3 --param 24=0.6 --save " + folder_.file("dark.preset.lv2"),
                   "saved.wav")
                .exitStatus,
            0);
  ASSERT_EQ(render(plugin + " --preset " + folder_.file("dark.preset.lv2"), "loaded.wav").exitStatus, 0);
  ASSERT_EQ(render(plugin, "default.wav").exitStatus, 0);
  EXPECT_EQ(folder_.read("loaded.wav"), folder_.read("saved.wav"));
  EXPECT_NE(folder_.read("default.wav"), folder_.read("saved.wav"));
  // The bundle is whole, under its own name: nothing else was left beside it.
  EXPECT_TRUE(folder_.exists("dark.preset.lv2/manifest.ttl"));
  EXPECT_TRUE(folder_.exists("dark.preset.lv2/dark.ttl"));
}

TEST_F(Lv2Hosting, ThePlugInIsToldTheSizesOfTheSequencesAndBlocksItIsGiven) {
  // 5000 notes on in the first block and off in the next: more than a
  // sequence of the usual size holds.
  TrackBytes notes;
  for (int i = 0; i < 5000; ++i) notes.event(0, {0x90, static_cast<uint8_t>(i % 128), 100});
  notes.event(48, {0xB0, 123, 0});
  const std::string song = folder_.write("many.mid", midiFile(0, 480, {notes.end(480)}));
  const ToolRun run = runTool(folder_, std::string("render --quiet --plugin ") + LV2_PROBE_BUNDLE + " " + song + " " +
                                           folder_.file("out.wav"));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = linesOf(run.err);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
              return line.find("LV2 probe: note on ") == 0;
            }),
            5000);
  for (const std::string& line : lines) EXPECT_EQ(line.find("LV2 probe: note on "), 0u) << line;
}

TEST_F(Lv2Hosting, WhatItCannotHostIsRefusedInOneLineWithNoOutput) {
  const std::string synthv1 = " --plugin " + kSynthv1 + " ";
  const struct {
    std::string options;
    int status;
    std::string message;
  } cases[] = {
      {"--plugin " + folder_.file("absent.lv2"), 3, "absent.lv2: no such LV2 bundle"},
      {"--plugin " + bundle("broken.lv2", "<urn:x:broken> a lv2:Plugin ; ; ."), 3, "its Turtle does not parse: "},
      {"--plugin urn:quorlin-test:nothing", 3, "no LV2 plug-in of that URI on the LV2 path (lv2ls lists them)"},
      {"--plugin " + bundle("absent-library.lv2", turtlePlugin("urn:x:one", "")), 3,
       "the plug-in failed to start (its instantiate answered null): "},
      {"--plugin " + bundle("teleports.lv2", turtlePlugin("urn:x:one", "lv2:requiredFeature <urn:x:teleport> ;")), 3,
       "the plug-in requires urn:x:teleport, which quorlin-host does not give"},
      {"--plugin " + bundle("two.lv2", turtlePlugin("urn:x:one", "") + turtlePlugin("urn:x:two", "")), 3,
       "the bundle holds 2 instruments; name one by its URI: urn:x:one urn:x:two"},
      {"--plugin " + bundle("effect.lv2", turtlePlugin("urn:x:effect", "", false)), 3,
       "urn:x:effect has no MIDI input, so it is no instrument"},
      {synthv1 + "--param DCF1_CUTOFF=1.5", 2, "--param DCF1_CUTOFF=1.5: DCF1_CUTOFF (DCF1 Cutoff) takes 0 to 1"},
      {synthv1 + "--param 3=0.5", 2, "has no control input of that index (info lists them)"},
      {synthv1 + "--program 1", 2, "is an LV2 plug-in, which has no programs; load a preset with --preset"},
      {synthv1 + "--preset " + folder_.file("bank.fxb"), 2, ".fxp and .fxb presets are VST 2's"},
      {synthv1 + "--save " + folder_.file("state.fxp"), 2, ".fxp and .fxb presets are VST 2's"},
  };
  for (const auto& c : cases) {
    const ToolRun run = render(c.options);
    EXPECT_EQ(run.exitStatus, c.status) << c.options << ": " << run.err;
    const std::vector<std::string> lines = linesOf(run.err);
    ASSERT_FALSE(lines.empty()) << c.options;
    EXPECT_NE(lines.back().find(c.message), std::string::npos) << c.options << ": " << run.err;
    EXPECT_FALSE(folder_.exists("out.wav")) << c.options;
  }
}

}  // namespace
