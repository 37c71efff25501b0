// quorlin-host loading and saving presets through the probe instrument, whose
// log shows every call: in what order a preset's values, names, program
// changes and chunks reach a plug-in, and the bytes of what is saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "preset_bytes.h"
#include "test_folder.h"
#include "tool_process.h"

namespace {

class PresetSession : public ::testing::Test {
 protected:
  PresetSession() {
    song_ = folder_.write("song.mid", midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 100}).end(96)}));
    setEnvironment("QUORLIN_PROBE_LOG", folder_.file("probe.log"));
  }
  ~PresetSession() override {
    setEnvironment("QUORLIN_PROBE_LOG", "");
    setEnvironment("QUORLIN_PROBE_CHUNKS", "");
  }

  // The calls between the block size and the start of audio: what the
  // preset and the options did.
  std::vector<std::string> configuration(const std::string& options) {
    const ToolRun run = runTool(folder_, std::string("render --quiet --plugin ") + PROBE_PLUGIN_FILE + " " + options +
                                             " " + song_ + " " + folder_.file("out.wav"));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const Bytes bytes = folder_.read("probe.log");
    std::vector<std::string> lines = linesOf(std::string(bytes.begin(), bytes.end()));
    std::remove(folder_.file("probe.log").c_str());
    const auto begin = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("blockSize", 0) == 0; });
    const auto end = std::find(lines.begin(), lines.end(), "mains 1");
    return begin < end ? std::vector<std::string>(begin + 1, end) : std::vector<std::string>{};
  }

  std::string preset(const Bytes& file) { return "--preset " + folder_.write("preset", file); }

  TestFolder folder_;
  std::string song_;
};

TEST_F(PresetSession, AProgramOfValuesGoesIntoTheCurrentProgramWhichIsAppliedAgain) {
  EXPECT_EQ(configuration(preset(valuesProgram("Prob", "Lead", {0.25f, 1.0f, 0.0f, -0.5f}))),
            (std::vector<std::string>{"programName Lead", "setParameter 0 0.25", "setParameter 1 1",
                                      "setParameter 2 0", "setParameter 3 -0.5", "program 0 applies 0.25 1 0 -0.5"}));
}

TEST_F(PresetSession, ABankOfValuesFillsEveryProgramAndSelectsItsCurrentOne) {
  const Bytes bank = valuesBank("Prob", 2, 1,
                                {valuesProgram("Prob", "A", {0.0f, 0.0f, 0.0f, 0.5f}),
                                 valuesProgram("Prob", "B", {0.0f, 0.0f, 0.25f, 0.0f}),
                                 valuesProgram("Prob", "C", {0.125f, 0.0f, 0.0f, 0.0f})});
  const std::vector<std::string> expected = {
      "program 0 applies 0 0 0 0",     "programName A",       "setParameter 0 0",    "setParameter 1 0",
      "setParameter 2 0",              "setParameter 3 0.5",  "program 1 applies 0 0 0 0.5",
      "programName B",                 "setParameter 0 0",    "setParameter 1 0",    "setParameter 2 0.25",
      "setParameter 3 0",              "program 2 applies 0 0 0.25 0",               "programName C",
      "setParameter 0 0.125",          "setParameter 1 0",    "setParameter 2 0",    "setParameter 3 0",
      "program 1 applies 0.125 0 0 0"};
  EXPECT_EQ(configuration(preset(bank)), expected);
}

TEST_F(PresetSession, ProgramAndParametersFromTheCommandLineComeAfterThePreset) {
  const std::string loaded = preset(valuesProgram("Prob", "P", {0.5f, 0.5f, 0.5f, 0.5f}));
  const std::vector<std::string> presetCalls = {"programName P", "setParameter 0 0.5", "setParameter 1 0.5",
                                                "setParameter 2 0.5", "setParameter 3 0.5",
                                                "program 0 applies 0.5 0.5 0.5 0.5"};
  std::vector<std::string> expected = presetCalls;
  expected.insert(expected.end(), {"setParameter 2 0.75", "program 0 applies 0.5 0.5 0.75 0.5"});
  EXPECT_EQ(configuration(loaded + " --param 2=0.75"), expected);
  expected = presetCalls;
  expected.insert(expected.end(), {"program 2 applies 0.5 0.5 0.5 0.5", "setParameter 2 0.75",
                                   "program 2 applies 0.5 0.5 0.75 0.5"});
  EXPECT_EQ(configuration(loaded + " --program 2 --param 2=0.75"), expected);
}

TEST_F(PresetSession, ChunksGoThroughEffSetChunkAsAProgramOrABank) {
  setEnvironment("QUORLIN_PROBE_CHUNKS", "take");
  EXPECT_EQ(configuration(preset(chunkProgram("Prob", "", 4, Bytes(16, 0)))),
            (std::vector<std::string>{"setChunk program 16 bytes"}));
  EXPECT_EQ(configuration(preset(chunkBank("Prob", 1, 0, 3, Bytes(16, 0)))),
            (std::vector<std::string>{"setChunk bank 16 bytes"}));
}

// The probe's programs share its one set of values and are all named "probe program".
TEST_F(PresetSession, SaveWritesValuesOrTheChunkOfWhatWasRendered) {
  configuration("--param 1=0.5 --save " + folder_.file("values.fxb"));
  const Bytes program = valuesProgram("Prob", "probe program", {0.0f, 0.5f, 0.0f, 0.0f});
  EXPECT_EQ(folder_.read("values.fxb"), valuesBank("Prob", 2, 0, {program, program, program}));

  setEnvironment("QUORLIN_PROBE_CHUNKS", "take");
  configuration("--param 0=0.25 --save " + folder_.file("chunk.fxp"));
  const float parameters[4] = {0.25f, 0.0f, 0.0f, 0.0f};
  Bytes chunk(sizeof parameters);
  std::memcpy(chunk.data(), parameters, sizeof parameters);
  EXPECT_EQ(folder_.read("chunk.fxp"), chunkProgram("Prob", "probe program", 4, chunk));
  EXPECT_EQ(configuration(preset(folder_.read("chunk.fxp"))), (std::vector<std::string>{"setChunk program 16 bytes"}));
}

}  // namespace
