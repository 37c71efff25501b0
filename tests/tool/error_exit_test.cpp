// What quorlin-host does with bad input: one line on standard error, a
// distinct exit status (2 for bad usage or a broken MIDI file, 3 for a module
// that cannot be loaded or started) and no output file, not even a partial one.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "preset_bytes.h"
#include "test_folder.h"
#include "tool_process.h"

namespace {

const Bytes& goodSong() {
  static const Bytes song = midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end()});
  return song;
}

class ErrorExit : public ::testing::Test {
 protected:
  // Runs the tool and checks the common promises: the status, a single line on
  // standard error starting with the tool's name, and nothing else in the folder.
  void expectFailure(const std::string& arguments, int status, const std::string& message,
                     const std::vector<std::string>& filesBefore) {
    const ToolRun run = runTool(folder_, arguments);
    EXPECT_EQ(run.exitStatus, status) << run.err;
    const std::vector<std::string> lines = linesOf(run.err);
    ASSERT_EQ(lines.size(), 1u) << "standard error: " << run.err;
    EXPECT_EQ(lines[0].rfind("quorlin-host: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(message), std::string::npos) << lines[0];
    EXPECT_EQ(run.out, "");
    std::vector<std::string> files = folder_.names();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, filesBefore) << "the failed run left files behind";
  }

  // A broken MIDI file rendered through the probe: exit 2, the file and byte named.
  void expectBrokenMidi(const Bytes& song, const std::string& problem) {
    const std::string input = folder_.write("in.mid", song);
    expectFailure(std::string("render --plugin ") + PROBE_PLUGIN_FILE + " " + input + " " + folder_.file("out.wav"), 2,
                  "quorlin-host: " + input + ": " + problem, {"in.mid"});
  }

  TestFolder folder_;
};

TEST_F(ErrorExit, TruncatedHeader) {
  expectBrokenMidi(Bytes(goodSong().begin(), goodSong().begin() + 9),
                   "byte 9: file ends inside the MThd header (14 bytes needed)");
}

TEST_F(ErrorExit, ChunkLengthBeyondTheEnd) {
  Bytes song = goodSong();
  const Bytes length = bigEndian(999999, 4);
  std::copy(length.begin(), length.end(), song.begin() + 18);
  expectBrokenMidi(song, "byte 14: chunk length 999999 runs past the end of the file");
}

TEST_F(ErrorExit, BadVariableLengthNumber) {
  expectBrokenMidi(midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}).end()}),
                   "byte 26: bad variable-length number");
}

TEST_F(ErrorExit, MissingEndOfTrack) {
  expectBrokenMidi(midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 1}).event(10, {0x80, 60, 0})}),
                   "byte 30: track 1 ends without an end-of-track event");
}

TEST_F(ErrorExit, ZeroDivision) {
  expectBrokenMidi(midiFile(0, 0, {TrackBytes().end()}), "byte 12: division of 0 ticks per quarter note");
}

TEST_F(ErrorExit, FormatTwo) {
  expectBrokenMidi(midiFile(2, 96, {TrackBytes().end()}), "byte 8: format 2 (independent sequences) is not supported");
}

TEST_F(ErrorExit, MissingInputFile) {
  expectFailure(std::string("render --plugin ") + PROBE_PLUGIN_FILE + " " + folder_.file("absent.mid") + " " +
                    folder_.file("out.wav"),
                2, folder_.file("absent.mid") + ": cannot open", {});
}

TEST_F(ErrorExit, FailedRenderKeepsAnExistingOutputFile) {
  folder_.write("out.wav", {'k', 'e', 'e', 'p'});
  const std::string input = folder_.write("in.mid", midiFile(0, 0, {TrackBytes().end()}));
  expectFailure(std::string("render --plugin ") + PROBE_PLUGIN_FILE + " " + input + " " + folder_.file("out.wav"), 2,
                "division of 0", {"in.mid", "out.wav"});
  EXPECT_EQ(folder_.read("out.wav"), (Bytes{'k', 'e', 'e', 'p'}));
}

TEST_F(ErrorExit, UsageErrorsShowTheUsageLine) {
  const std::string input = folder_.write("in.mid", goodSong());
  const std::string files = " " + input + " " + folder_.file("out.wav");
  const std::string usage = "usage: quorlin-host render [options] IN.mid OUT.wav";
  expectFailure("render --speed 2" + files, 2, "unknown option '--speed'; " + usage, {"in.mid"});
  expectFailure("render --rate 44.1k" + files, 2,
                "--rate needs a whole number from 1000 to 768000, not '44.1k'; " + usage, {"in.mid"});
  expectFailure("render --block 0" + files, 2, "--block needs a whole number from 1 to 65536", {"in.mid"});
  expectFailure("render --param 3" + files, 2, "--param needs INDEX=VALUE, not '3'", {"in.mid"});
  expectFailure("render --param 3=loud" + files, 2, "--param needs a finite decimal number, not 'loud'", {"in.mid"});
  expectFailure("render --param 3=nan" + files, 2, "--param needs a finite decimal number, not 'nan'", {"in.mid"});
  expectFailure("render --param 3=1.01" + files, 2, "--param needs a value from 0 to 1, not '1.01'", {"in.mid"});
  expectFailure("render --param=3=-0.5" + files, 2, "--param needs a value from 0 to 1, not '-0.5'", {"in.mid"});
  expectFailure("render --tail -1" + files, 2, "--tail needs a number of seconds", {"in.mid"});
  expectFailure("render --format mp3" + files, 2, "--format needs f32, s16 or s24, not 'mp3'", {"in.mid"});
  expectFailure("render " + input, 2, "missing IN.mid or OUT.wav; " + usage, {"in.mid"});
  expectFailure("render" + files + " extra.wav", 2, "too many files named", {"in.mid"});
  expectFailure("info extra", 2, "unexpected argument 'extra'; usage: quorlin-host info [--plugin PATH]", {"in.mid"});
  expectFailure("perform" + files, 2, "unknown subcommand 'perform'; usage: quorlin-host SUBCOMMAND", {"in.mid"});
  expectFailure("", 2, "no subcommand given; usage: quorlin-host SUBCOMMAND", {"in.mid"});
}

TEST_F(ErrorExit, ProgramOrParameterTheModuleLacksIsABadValue) {
  const std::string input = folder_.write("in.mid", goodSong());
  const std::string files = " " + input + " " + folder_.file("out.wav");
  const std::string plugin = std::string(" --plugin ") + PROBE_PLUGIN_FILE;
  expectFailure("render --program 3" + plugin + files, 2,
                "--program 3: " + std::string(PROBE_PLUGIN_FILE) + " has 3 programs", {"in.mid"});
  expectFailure("render --param 4=0.5" + plugin + files, 2,
                "--param 4: " + std::string(PROBE_PLUGIN_FILE) + " has 4 parameters", {"in.mid"});
}

// The probe: ID 'Prob', 3 programs of 4 parameters, chunks only when asked.
TEST_F(ErrorExit, PresetsTheModuleCannotTakeAreRefusedBeforeAnythingIsWritten) {
  const std::string input = folder_.write("in.mid", goodSong());
  const std::string render = std::string("render --plugin ") + PROBE_PLUGIN_FILE + " --save " +
                             folder_.file("saved.fxb") + " " + input + " " + folder_.file("out.wav") + " --preset ";
  const std::vector<float> values = {0.0f, 0.25f, 0.5f, 1.0f};
  const struct {
    Bytes file;
    std::string problem;
  } cases[] = {
      {chunkBank("Qrl ", 2, 0, 4, Bytes(244, 0)),
       "a bank for the plug-in 'Qrl ' (0x51726C20), not for this one 'Prob' (0x50726F62)"},
      {valuesProgram("Prob", "", values) + Bytes{0}, "byte 72: 1 bytes after the end of the preset"},
      {chunkProgram("Prob", "", 4, Bytes(16, 0)), "a program held as a chunk, but the plug-in takes no chunks"},
      {valuesProgram("Prob", "", {0.5f}), "1 parameter values for a plug-in of 4"},
      {valuesBank("Prob", 1, 0, {valuesProgram("Prob", "", values)}), "a bank of 1 programs for a plug-in of 3"},
  };
  for (const auto& c : cases) {
    const std::string preset = folder_.write("p.fxp", c.file);
    expectFailure(render + preset, 2, "quorlin-host: " + preset + ": " + c.problem, {"in.mid", "p.fxp"});
  }
  expectFailure(render + folder_.file("absent.fxb"), 2, folder_.file("absent.fxb") + ": cannot open", {"in.mid", "p.fxp"});

  // Its answer 0 counts only when the chunk it then hands out is not the one given.
  setEnvironment("QUORLIN_PROBE_CHUNKS", "refuse");
  const std::string preset = folder_.write("p.fxp", chunkProgram("Prob", "", 4, Bytes(16, 1)));
  expectFailure(render + preset, 2, preset + ": the plug-in refused the preset's chunk", {"in.mid", "p.fxp"});
  setEnvironment("QUORLIN_PROBE_CHUNKS", "");

  expectFailure(std::string("render --save ") + folder_.file("saved.wav") + " " + input + " " + folder_.file("out.wav"),
                2, "--save needs a file name ending in .fxp or .fxb, not '" + folder_.file("saved.wav") + "'",
                {"in.mid", "p.fxp"});
}

TEST_F(ErrorExit, ModulesThatCannotBeLoadedOrStartedGiveStatus3) {
  const std::string input = folder_.write("in.mid", goodSong());
  const std::string files = " " + input + " " + folder_.file("out.wav");
  expectFailure("render --plugin " + folder_.file("absent-module") + files, 3,
                folder_.file("absent-module") + ": cannot load the module: ", {"in.mid"});
  expectFailure("render --plugin " + input + files, 3, input + ": cannot load the module: ", {"in.mid"});
  expectFailure(std::string("render --plugin ") + ENTRYLESS_MODULE_FILE + files, 3,
                std::string(ENTRYLESS_MODULE_FILE) + ": not a VST 2 module: it exports neither VSTPluginMain nor main",
                {"in.mid"});
  expectFailure(std::string("render --plugin ") + REFUSING_PLUGIN_FILE + files, 3,
                std::string(REFUSING_PLUGIN_FILE) + ": the plug-in refused to start (its main answered null)",
                {"in.mid"});
  expectFailure(std::string("info --plugin ") + REFUSING_PLUGIN_FILE, 3, "its main answered null", {"in.mid"});
}

TEST_F(ErrorExit, InterruptedRenderClosesThePlugInAndLeavesNoFile) {
  const std::string input = folder_.write("in.mid", goodSong());
  setEnvironment("QUORLIN_PROBE_LOG", folder_.file("probe.log"));
  setEnvironment("QUORLIN_PROBE_RAISE", "3 " + std::to_string(SIGINT));
  expectFailure(
      std::string("render --block 64 --plugin ") + PROBE_PLUGIN_FILE + " " + input + " " + folder_.file("out.wav"), 130,
      "interrupted; " + folder_.file("out.wav") + " not written", {"in.mid", "probe.log"});
  setEnvironment("QUORLIN_PROBE_RAISE", "");
  setEnvironment("QUORLIN_PROBE_LOG", "");
  const Bytes log = folder_.read("probe.log");
  const std::vector<std::string> lines = linesOf(std::string(log.begin(), log.end()));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"process 64", "mains 0", "close"}));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "process 64"), 3);
}

TEST_F(ErrorExit, HelpIsNotAnError) {
  for (const char* arguments : {"--help", "render --help", "info --help"}) {
    const ToolRun run = runTool(folder_, arguments);
    EXPECT_EQ(run.exitStatus, 0) << arguments;
    EXPECT_EQ(run.err, "") << arguments;
    EXPECT_EQ(run.out.rfind("usage: quorlin-host", 0), 0u) << arguments << ": " << run.out;
  }
}

}  // namespace
