// quorlin-host driving the test CLAP module (clap_test_plugin.cpp): the order
// and threads of its calls, where each event lands in either note dialect,
// parameters, state and presets, a batch sharing one module, the editor, and
// every refusal. Exact: the plug-in marks events with integers a float holds
// exactly, and its sine comes out the same whatever the block size.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

// At 1000 Hz and 500 ticks per quarter note at 120 bpm, a tick is a frame.
Bytes testSong() {
  return midiFile(0, 500,
                  {TrackBytes()
                       .event(5, {0x90, 60, 100})  // frame 5
                       .event(0, {0xB0, 7, 90})    // frame 5
                       .event(58, {0x90, 62, 90})  // frame 63
                       .event(1, {0x90, 62, 0})    // frame 64: a note-off in MIDI's words
                       .event(56, {0xE0, 0, 80})   // frame 120
                       .event(100, {0xC0, 5})      // frame 220
                       .event(81, {0x80, 60, 0})   // frame 301
                       .end(1)});                  // 302
}

constexpr size_t kFrames = 302 + 50;  // a tail of 0.05 s

float clapNote(bool on, int key, int velocity) { return static_cast<float>((on ? 1000000 : 2000000) + key * 1000 + velocity); }
float midi(int status, int data1, int data2) { return static_cast<float>(4000000 + status * 16384 + data1 * 128 + data2); }

// The right channel: each event's mark at its frame, as the plug-in's header says.
std::vector<float> marks(bool clapNotes) {
  std::vector<float> right(kFrames, 0.0f);
  right[5] = (clapNotes ? clapNote(true, 60, 100) : midi(0x90, 60, 100)) + midi(0xB0, 7, 90);
  right[63] = clapNotes ? clapNote(true, 62, 90) : midi(0x90, 62, 90);
  right[64] = clapNotes ? clapNote(false, 62, 64) : midi(0x90, 62, 0);
  right[120] = midi(0xE0, 0, 80);
  right[220] = midi(0xC0, 5, 0);
  right[301] = clapNotes ? clapNote(false, 60, 0) : midi(0x80, 60, 0);
  return right;
}

std::vector<float> channel(const std::vector<uint8_t>& wav, size_t which) {
  const std::vector<float> samples = floatSamples(wav);
  std::vector<float> one;
  for (size_t i = which; i < samples.size(); i += 2) one.push_back(samples[i]);
  return one;
}

std::string plugin(const std::string& id) { return std::string(CLAP_TEST_PLUGIN_FILE) + "#org.quorlin.test." + id; }

class ClapHosting : public ::testing::Test {
 protected:
  ClapHosting() {
    song_ = folder_.write("song.mid", testSong());
    setEnvironment("QUORLIN_CLAP_TEST_LOG", folder_.file("calls.log"));
  }
  ~ClapHosting() override {
    for (const char* name : {"QUORLIN_CLAP_TEST_LOG", "QUORLIN_CLAP_TEST_REFUSE", "QUORLIN_CLAP_TEST_MISBEHAVE",
                             "QUORLIN_CLAP_TEST_ASK"}) {
      setEnvironment(name, "");
    }
  }

  ToolRun render(const std::string& pluginName, const std::string& options, const std::string& output = "out.wav") {
    return runTool(folder_, "render --quiet --plugin " + pluginName + " --rate 1000 --tail 0.05 " + options + " " +
                                song_ + " " + folder_.file(output));
  }

  std::vector<std::string> calls() const {
    const std::vector<uint8_t> bytes = folder_.read("calls.log");
    return linesOf(std::string(bytes.begin(), bytes.end()));
  }

  TestFolder folder_;
  std::string song_;
};

TEST_F(ClapHosting, CallsComeInClapsOrderEachOnItsThread) {
  const ToolRun run = render(plugin("clap-notes"), "--block 64 --param 7=0.5");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> processes(6, "process 64 audio");
  std::vector<std::string> expected = {"entry init", "create org.quorlin.test.clap-notes", "init main", "flush 1 main",
                                       "activate 1000 1 64 main", "start_processing audio"};
  expected.insert(expected.end(), processes.begin(), processes.end() - 1);
  expected.insert(expected.end(), {"process 32 audio", "stop_processing audio", "deactivate main", "destroy main",
                                   "entry deinit"});
  EXPECT_EQ(calls(), expected);
}

// Offline, what the plug-in asks of the main thread is done right after its
// block, and the restart leaves no gap in the sound.
TEST_F(ClapHosting, ACallbackAndARestartAskedForInABlockAreDoneBeforeTheNext) {
  ASSERT_EQ(render(plugin("clap-notes"), "--block 64", "plain.wav").exitStatus, 0);
  std::filesystem::remove(folder_.file("calls.log"));
  setEnvironment("QUORLIN_CLAP_TEST_ASK", "1");
  const ToolRun run = render(plugin("clap-notes"), "--block 64");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = calls();
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.begin() + 12),
            (std::vector<std::string>{"start_processing audio", "process 64 audio", "process 64 audio", "on_main_thread main",
                                      "stop_processing audio", "deactivate main", "activate 1000 1 64 main",
                                      "start_processing audio"}));
  EXPECT_EQ(folder_.read("out.wav"), folder_.read("plain.wav"));
}

TEST_F(ClapHosting, EveryEventLandsOnItsFrameInEitherDialectWhateverTheBlockSize) {
  std::vector<float> sine;
  for (const std::string id : {"clap-notes", "midi-notes"}) {
    for (const char* block : {"1", "7", "64", "302", "303", "65536"}) {
      const ToolRun run = render(plugin(id), std::string("--block ") + block);
      ASSERT_EQ(run.exitStatus, 0) << run.err;
      const std::vector<uint8_t> wav = folder_.read("out.wav");
      EXPECT_EQ(channel(wav, 1), marks(id == "clap-notes")) << id << ", block size " << block;
      if (sine.empty()) sine = channel(wav, 0);
      EXPECT_EQ(channel(wav, 0), sine) << id << ", block size " << block;
    }
  }
  EXPECT_NE(std::count(sine.begin(), sine.end(), 0.0f), static_cast<long>(sine.size())) << "the notes sound";
}

TEST_F(ClapHosting, ParametersGoByIdOrNameWithinTheirRangeAndStatesAndPresetsCarryThem) {
  ASSERT_EQ(render(plugin("clap-notes"), "", "gain-1.wav").exitStatus, 0);
  ASSERT_EQ(render(plugin("clap-notes"), "--param 7=2", "gain-2.wav").exitStatus, 0);
  std::vector<float> doubled = channel(folder_.read("gain-1.wav"), 0);
  for (float& sample : doubled) sample *= 2.0f;  // exact: a power of two
  EXPECT_EQ(channel(folder_.read("gain-2.wav"), 0), doubled);
  const ToolRun saved = render(plugin("clap-notes"), "--param Gain=2 --save " + folder_.file("loud.clapstate"), "by-name.wav");
  ASSERT_EQ(saved.exitStatus, 0) << saved.err;
  for (const std::string& preset : {folder_.file("loud.clapstate"), std::string("Loud")}) {
    const ToolRun run = render(plugin("clap-notes"), "--preset " + preset, "preset.wav");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(folder_.read("preset.wav"), folder_.read("gain-2.wav")) << preset;
  }
  EXPECT_EQ(folder_.read("by-name.wav"), folder_.read("gain-2.wav"));
  const ToolRun info = runTool(folder_, "info --json --plugin " + plugin("midi-notes") + " --preset Quiet");
  ASSERT_EQ(info.exitStatus, 0) << info.err;
  for (const char* line : {"\"notesSentAs\": \"midi\"",
                           "{\"id\": 7, \"name\": \"Gain\", \"module\": \"Output\", \"minimum\": 0, \"default\": 1, "
                           "\"maximum\": 2, \"value\": 0.25, \"valueText\": \"0.25 x\", \"flags\": [\"automatable\"]}",
                           "{\"name\": \"Loud\", \"inModule\": true, \"location\": \"\", \"loadKey\": \"loud\"}"}) {
    EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
  }
}

TEST_F(ClapHosting, ABatchSharesOneEntryInitAndRendersEachSongAsAloneOnItsJobsThreads) {
  ASSERT_EQ(render(plugin("midi-notes"), "--block 64", "alone.wav").exitStatus, 0);
  std::filesystem::remove(folder_.file("calls.log"));
  std::string list;
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) list += song_ + " " + folder_.file(name) + " --rate 1000 --block 64 --tail 0.05\n";
  folder_.write("list.txt", Bytes(list.begin(), list.end()));
  const ToolRun run =
      runTool(folder_, "render --quiet --jobs 2 --plugin " + plugin("midi-notes") + " --batch " + folder_.file("list.txt"));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) EXPECT_EQ(folder_.read(name), folder_.read("alone.wav")) << name;
  const std::vector<std::string> lines = calls();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "entry init"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "entry deinit"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "create org.quorlin.test.midi-notes"), 3);
  for (const std::string& line : lines) {
    const bool audio = line.rfind("process", 0) == 0 || line.find("_processing") != std::string::npos;
    if (line.rfind("entry", 0) != 0 && line.rfind("create", 0) != 0) {
      EXPECT_EQ(line.substr(line.rfind(' ') + 1), audio ? "audio" : "main") << line;
    }
  }
}

TEST_F(ClapHosting, PluginsAreFoundByTheirIdOnClapPath) {
  std::filesystem::create_directories(folder_.file("clap/sub"));
  std::filesystem::copy_file(CLAP_TEST_PLUGIN_FILE, folder_.file("clap/sub/test.clap"));
#ifdef _WIN32
  const std::string separator = ";";
#else
  const std::string separator = ":";
#endif
  setEnvironment("CLAP_PATH", folder_.file("elsewhere") + separator + folder_.file("clap"));
  const ToolRun found = render("org.quorlin.test.midi-notes", "");
  const ToolRun missing = render("org.quorlin.test.absent", "", "absent.wav");
  // Names of a bundle or a module that is not there are no CLAP ids.
  for (const char* other : {"absent.lv2", "absent.so", "absent.dll"}) {
    const ToolRun run = render(other, "", "other.wav");
    EXPECT_NE(run.exitStatus, 0) << other;
    EXPECT_EQ(run.err.find("CLAP"), std::string::npos) << run.err;
  }
  setEnvironment("CLAP_PATH", "");
  EXPECT_EQ(found.exitStatus, 0) << found.err;
  EXPECT_EQ(missing.exitStatus, 3);
  const std::vector<std::string> lines = linesOf(missing.err);
  ASSERT_EQ(lines.size(), 1u) << missing.err;
  // CLAP_PATH's folders first, then the standard ones.
  EXPECT_EQ(lines[0].rfind("quorlin-host: org.quorlin.test.absent: no CLAP plug-in of that id in " +
                               folder_.file("elsewhere") + ", " + folder_.file("clap") + ", ",
                           0),
            0u)
      << lines[0];
}

TEST_F(ClapHosting, APluginCallingAMainThreadFunctionFromTheAudioThreadIsRefusedOnceAndItsLogWaits) {
  setEnvironment("QUORLIN_CLAP_TEST_MISBEHAVE", "1");
  const ToolRun run = render(plugin("clap-notes"), "--block 128");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string hello = "Test Sine (CLAP notes): hello from the audio thread";
  EXPECT_EQ(linesOf(run.err), (std::vector<std::string>{
                                  hello,
                                  "Test Sine (CLAP notes): misbehaves: called params.rescan on the audio thread, where "
                                  "CLAP does not allow it; refused (and any such call after it)",
                                  hello, hello}));
  EXPECT_EQ(channel(folder_.read("out.wav"), 1), marks(true));
}

// Each row: what the plug-in refuses (or ""), the plug-in named, the options,
// the exit status and the line's text after "quorlin-host: ".
struct Refusal {
  const char* refuse;
  std::string pluginName;
  std::string options;
  int status;
  std::string message;
};

TEST_F(ClapHosting, BadInputGetsOneLineTheRightStatusAndNoOutputFile) {
  folder_.write("text.clap", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'd', 'u', 'l', 'e'});
  std::filesystem::copy_file(ENTRYLESS_MODULE_FILE, folder_.file("entryless.clap"));
  folder_.write("program.fxp", Bytes{'C', 'c', 'n', 'K'});
  ASSERT_EQ(render(plugin("midi-notes"), "--save " + folder_.file("midi.clapstate"), "made.wav").exitStatus, 0);
  ASSERT_EQ(render(plugin("clap-notes"), "--save " + folder_.file("clap.clapstate"), "made.wav").exitStatus, 0);
  const std::string file = CLAP_TEST_PLUGIN_FILE, clapNotes = plugin("clap-notes");
  const std::vector<Refusal> refusals = {
      {"", folder_.file("text.clap"), "", 3, folder_.file("text.clap") + ": cannot load the module"},
      {"", folder_.file("entryless.clap"), "", 3, folder_.file("entryless.clap") + ": not a CLAP module: it exports no clap_entry"},
      {"entry-init", clapNotes, "", 3, file + ": the module refused to start (its clap_entry init answered false)"},
      {"factory", clapNotes, "", 3, file + ": the module has no plug-in factory"},
      {"plugins", clapNotes, "", 3, file + ": the module holds no plug-ins"},
      {"", file + "#absent", "", 3, file + " holds no plug-in 'absent'; it holds org.quorlin.test.clap-notes, org.quorlin.test.midi-notes"},
      {"", file, "", 3, file + " holds 2 plug-ins; name one as " + file + "#ID: org.quorlin.test.clap-notes, org.quorlin.test.midi-notes"},
      {"create", clapNotes, "", 3, clapNotes + ": the plug-in refused to start (create_plugin answered null)"},
      {"init", clapNotes, "", 3, clapNotes + ": the plug-in refused to start (its init answered false)"},
      {"notes", clapNotes, "", 3, clapNotes + ": the plug-in has no note input, so it is no instrument"},
      {"audio", clapNotes, "", 3, clapNotes + ": the plug-in has no audio outputs"},
      {"activate", clapNotes, "", 3, clapNotes + ": the plug-in refused to start (its activate answered false)"},
      {"start", clapNotes, "", 3, clapNotes + ": the plug-in refused to start (its start_processing answered false)"},
      {"process", clapNotes, "", 3, clapNotes + ": the plug-in failed to process a block (its process answered CLAP_PROCESS_ERROR)"},
      {"state", clapNotes, "--preset " + folder_.file("clap.clapstate"), 2, folder_.file("clap.clapstate") + ": the plug-in refused the state"},
      {"", clapNotes, "--preset " + folder_.file("midi.clapstate"), 2, folder_.file("midi.clapstate") + ": a state of the plug-in 'org.quorlin.test.midi-notes', not of this one 'org.quorlin.test.clap-notes'"},
      {"", clapNotes, "--preset " + folder_.file("program.fxp"), 2, "--preset " + folder_.file("program.fxp") + ": " + clapNotes + " is a CLAP plug-in; it takes a .clapstate file or a factory preset's name (info lists them)"},
      {"", clapNotes, "--preset " + song_, 2, song_ + ": not a CLAP state saved by quorlin-host"},
      {"", clapNotes, "--preset Medium", 2, "--preset Medium: no such file, nor a factory preset of that name of " + clapNotes + " (info lists them)"},
      {"", clapNotes, "--program 1", 2, "--program 1: " + clapNotes + " is a CLAP plug-in, which has no programs; load a preset with --preset"},
      {"", clapNotes, "--param 7=2.5", 2, "--param 7=2.5: Gain (id 7) takes 0 to 2"},
      {"", clapNotes, "--param 8=1", 2, "--param 8: " + clapNotes + " has no parameter of that id (info lists them)"},
      {"", clapNotes, "--param Volume=1", 2, "--param Volume: " + clapNotes + " has no parameter of that name (info lists them)"},
      {"", clapNotes, "--save " + folder_.file("state.fxp"), 2, "--save " + folder_.file("state.fxp") + ": a CLAP plug-in's state goes into a file NAME.clapstate"},
  };
  for (const Refusal& refusal : refusals) {
    setEnvironment("QUORLIN_CLAP_TEST_REFUSE", refusal.refuse);
    const ToolRun run = render(refusal.pluginName, refusal.options);
    EXPECT_EQ(run.exitStatus, refusal.status) << refusal.message;
    const std::vector<std::string> lines = linesOf(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_EQ(lines[0].rfind("quorlin-host: " + refusal.message, 0), 0u) << lines[0];
    EXPECT_FALSE(folder_.exists("out.wav")) << refusal.message;
  }
}

#ifndef _WIN32
// The editor's knob turns only once the host has served its timer and its
// file descriptor; the change reaches the plug-in through the flush it asks
// for, and so the values printed and the state saved.
TEST_F(ClapHosting, TheEditorsTimersFdsSizeAndKnobAreServed) {
  const ToolRun run = runTool(folder_, "editor --plugin " + plugin("clap-notes") + " --screenshot " + folder_.file("e.png") +
                                           " --after 300 --print-parameters --save " + folder_.file("e.clapstate"));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "7 1.5\n");
  const std::vector<uint8_t> png = folder_.read("e.png");
  ASSERT_GE(png.size(), 24u);
  // The header's big-endian width and height: the size the editor asked for.
  EXPECT_EQ(std::vector<uint8_t>(png.begin() + 16, png.begin() + 24), (std::vector<uint8_t>{0, 0, 0, 200, 0, 0, 0, 120}));
  const ToolRun info = runTool(folder_, "info --json --plugin " + plugin("clap-notes") + " --preset " + folder_.file("e.clapstate"));
  EXPECT_NE(info.out.find("\"value\": 1.5,"), std::string::npos) << info.out;
}
#endif

}  // namespace
