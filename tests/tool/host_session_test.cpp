// quorlin-host driving the probe instrument, which logs every call and writes
// each MIDI event it receives into its audio at the event's frame. These tests
// check what any VST 2 instrument sees of the host: the session order, one
// event list per block that has events, deltaFrames, and where the events end
// up in the WAV file. Exact: frames are whole numbers worked out by hand from
// the test song, and the probe's samples are small integers held exactly in floats.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

// At 1000 Hz and 500 ticks per quarter note, one tick is one frame until the
// tempo changes: at tick 100 to 1000000 us per quarter (2 frames a tick), at
// tick 200 to 250000 (half a frame a tick, so odd ticks land on halves, which round up).
Bytes testSong() {
  const TrackBytes conductorAndMelody = TrackBytes()
                                            .tempo(0, 500000)
                                            .event(5, {0x90, 60, 100})            // frame 5
                                            .event(58, {62, 90})                  // running status, frame 63
                                            .event(1, {62, 0})                    // velocity 0, frame 64
                                            .event(0, {0xFF, 0x01, 2, 'h', 'i'})  // text: not passed
                                            .tempo(36, 1000000)                   // tick 100 = frame 100
                                            .event(10, {0xE0, 0, 80})             // tick 110: frame 120
                                            .event(40, {0xF0, 2, 1, 0xF7})        // system exclusive: not passed
                                            .event(10, {0xC0, 5})                 // tick 160: frame 220
                                            .tempo(40, 250000)                    // tick 200 = frame 300
                                            .event(1, {0x80, 60, 0})              // 300.5: frame 301
                                            .event(2, {61, 0})                    // 301.5: frame 302
                                            .end(1);                              // 302
  const TrackBytes controllers = TrackBytes()
                                     .event(5, {0xB0, 7, 90})  // frame 5, after the first track's note
                                     .event(58, {10, 30})      // frame 63
                                     .end(65);
  return midiFile(1, 500, {conductorAndMelody, controllers});
}

struct PlacedEvent {
  int64_t frame;
  int status, data1, data2;
};

const std::vector<PlacedEvent> kTestSongEvents = {
    {5, 0x90, 60, 100}, {5, 0xB0, 7, 90},  {63, 0x90, 62, 90}, {63, 0xB0, 10, 30}, {64, 0x90, 62, 0},
    {120, 0xE0, 0, 80}, {220, 0xC0, 5, 0}, {301, 0x80, 60, 0}, {302, 0x80, 61, 0},
};

// The last event at frame 302, and a tail of 0.05 s at 1000 Hz.
constexpr size_t kTestSongFrames = 302 + 50;

class HostSession : public ::testing::Test {
 protected:
  HostSession() {
    song_ = folder_.write("song.mid", testSong());
    log_ = folder_.file("probe.log");
    setEnvironment("QUORLIN_PROBE_LOG", log_);
  }

  ToolRun render(const std::string& options, const std::string& output = "out.wav") {
    return runTool(folder_, std::string("render --plugin ") + PROBE_PLUGIN_FILE + " --rate 1000 --tail 0.05 " +
                                options + " " + song_ + " " + folder_.file(output));
  }

  std::vector<std::string> log() const {
    std::vector<uint8_t> bytes = folder_.read("probe.log");
    return linesOf(std::string(bytes.begin(), bytes.end()));
  }

  TestFolder folder_;
  std::string song_;
  std::string log_;
};

// The probe's output for a list of events: each event adds status * 1000 +
// data 1 on the left and data 2 + 1 on the right at its frame.
std::vector<float> probeOutput(const std::vector<PlacedEvent>& events, size_t frames) {
  std::vector<float> samples(2 * frames, 0.0f);
  for (const PlacedEvent& event : events) {
    samples[2 * event.frame] += static_cast<float>(event.status * 1000 + event.data1);
    samples[2 * event.frame + 1] += static_cast<float>(event.data2 + 1);
  }
  return samples;
}

TEST_F(HostSession, LogShowsTheSessionOrderAndOneEventListPerBlockWithEvents) {
  const ToolRun run = render("--block 64 --quiet");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> expected = {
      "main host version 2400",
      "open",
      "sampleRate 1000 host says 1000",
      "blockSize 64 host says 64",
      "program 0 applies 0 0 0 0",
      "program 0 applies 0 0 0 0",
      "mains 1",
      "events 4: 5=90,60,100,0 5=B0,7,90,0 63=90,62,90,0 63=B0,10,30,0",
      "process 64",
      "events 2: 0=90,62,0,0 56=E0,0,80,0",
      "process 64",
      "process 64",  // frames 128-191: no events, so no list
      "events 1: 28=C0,5,0,0",
      "process 64",
      "events 2: 45=80,60,0,0 46=80,61,0,0",
      "process 64",
      "process 32",  // the song ends at frame 352
      "mains 0",
      "close",
  };
  EXPECT_EQ(log(), expected);
}

TEST_F(HostSession, ParametersAreSetBetweenTwoProgramChanges) {
  const ToolRun run = render("--block 512 --program 2 --param 1=0.25 --param 3=0.75 --param=1=0.5 --quiet");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = log();
  ASSERT_GE(lines.size(), 10u);
  const std::vector<std::string> start(lines.begin(), lines.begin() + 10);
  EXPECT_EQ(start, (std::vector<std::string>{
                       "main host version 2400",
                       "open",
                       "sampleRate 1000 host says 1000",
                       "blockSize 512 host says 512",
                       "program 2 applies 0 0 0 0",
                       "setParameter 1 0.25",
                       "setParameter 3 0.75",
                       "setParameter 1 0.5",
                       "program 2 applies 0 0.5 0 0.75",
                       "mains 1",
                   }));
}

TEST_F(HostSession, EveryEventLandsOnItsFrameWhateverTheBlockSize) {
  const std::vector<float> expected = probeOutput(kTestSongEvents, kTestSongFrames);
  for (const char* block : {"1", "7", "64", "302", "303", "65536"}) {
    const ToolRun run = render(std::string("--block ") + block + " --quiet");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(floatSamples(folder_.read("out.wav")), expected) << "block size " << block;
  }
}

TEST_F(HostSession, LengthIsTheLastEventPlusTheRoundedTail) {
  for (const auto& [tail, frames] : std::map<std::string, uint32_t>{{"0", 302}, {"0.0105", 313}, {"0.0104", 312}}) {
    const ToolRun run =
        runTool(folder_, std::string("render --quiet --plugin ") + PROBE_PLUGIN_FILE + " --rate 1000 --tail " + tail +
                             " " + song_ + " " + folder_.file("out.wav"));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(littleEndianAt(folder_.read("out.wav"), 46, 4), frames) << "tail " << tail;
  }
}

TEST_F(HostSession, SummaryReportsLengthFormatPeakAndClippedSamples) {
  const ToolRun run = render("--format s16");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "") << "no progress bar when standard error is not a terminal";
  const std::vector<std::string> lines = linesOf(run.out);
  ASSERT_EQ(lines.size(), 1u) << run.out;
  // Seven frames carry events; on each both channels lie far beyond full scale.
  // The loudest is frame 5: 0x90 * 1000 + 60 + 0xB0 * 1000 + 7 = 320067, +110.1 dBFS.
  const std::string expectedStart =
      folder_.file("out.wav") + ": 0.35 s, 2 ch, 1000 Hz, s16, peak 110.1 dBFS, 14 samples clipped, ";
  EXPECT_EQ(lines[0].substr(0, expectedStart.size()), expectedStart);
  EXPECT_NE(lines[0].find("x real time"), std::string::npos) << lines[0];
}

TEST_F(HostSession, QuietPrintsNothing) {
  const ToolRun run = render("--quiet");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
}

TEST_F(HostSession, InfoDescribesAnyModule) {
  const ToolRun run = runTool(folder_, std::string("info --plugin ") + PROBE_PLUGIN_FILE);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = linesOf(run.out);
  const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("name            \"Probe\"")) << run.out;
  EXPECT_TRUE(has("vendor          (empty)")) << run.out;
  EXPECT_TRUE(has("unique ID       'Prob' (0x50726F62)")) << run.out;
  EXPECT_TRUE(has("category        0 (unknown)")) << run.out;
  EXPECT_TRUE(has("outputs         2")) << run.out;
  EXPECT_TRUE(has("flags           CanReplacing IsSynth")) << run.out;
  EXPECT_TRUE(has("programs        3")) << run.out;
  EXPECT_TRUE(has("    2  \"probe program\"")) << run.out;
  EXPECT_TRUE(has("parameters      4")) << run.out;
  EXPECT_TRUE(has("    3  name (empty)  label (empty)  display (empty)")) << run.out;
  EXPECT_TRUE(has("  receiveVstEvents               don't know")) << run.out;
  EXPECT_TRUE(has("    1  (not described)")) << run.out;
}

TEST_F(HostSession, InfoAsJsonHoldsEverythingInfoPrints) {
  const ToolRun run = runTool(folder_, std::string("info --json --plugin ") + PROBE_PLUGIN_FILE);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string parameter = "    {\"name\": \"\", \"label\": \"\", \"display\": \"\"}";
  std::string canDo;
  for (const char* question :
       {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "offline",
        "midiProgramNames", "bypass", "midiKeyBasedInstrumentControl", "midiSingleNoteTuningChange"}) {
    canDo += std::string(canDo.empty() ? "" : ",\n") + "    \"" + question + "\": null";
  }
  const std::string expected = std::string("{\n  \"module\": \"") + PROBE_PLUGIN_FILE + "\",\n" +
                               "  \"name\": \"Probe\",\n"
                               "  \"vendor\": \"\",\n"
                               "  \"product\": \"\",\n"
                               "  \"vendorVersion\": 0,\n"
                               "  \"uniqueId\": \"Prob\",\n"
                               "  \"uniqueIdNumber\": 1349676898,\n"
                               "  \"version\": 1,\n"
                               "  \"vstVersion\": 0,\n"
                               "  \"category\": 0,\n"
                               "  \"categoryName\": \"unknown\",\n"
                               "  \"inputs\": 0,\n"
                               "  \"outputs\": 2,\n"
                               "  \"flags\": [\"CanReplacing\", \"IsSynth\"],\n"
                               "  \"unnamedFlags\": 0,\n"
                               "  \"initialDelay\": 0,\n"
                               "  \"tailSize\": 0,\n"
                               "  \"programs\": [\n"
                               "    \"probe program\",\n"
                               "    \"probe program\",\n"
                               "    \"probe program\"\n"
                               "  ],\n"
                               "  \"parameters\": [\n" +
                               parameter + ",\n" + parameter + ",\n" + parameter + ",\n" + parameter +
                               "\n  ],\n"
                               "  \"canDo\": {\n" +
                               canDo +
                               "\n  },\n"
                               "  \"outputPins\": [\n"
                               "    null,\n"
                               "    null\n"
                               "  ]\n"
                               "}\n";
  EXPECT_EQ(linesOf(run.out), linesOf(expected));  // line by line: Windows ends lines with CR LF
}

}  // namespace
