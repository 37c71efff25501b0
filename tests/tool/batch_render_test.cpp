// quorlin-host render --batch through the probe: lines that fail are reported
// by number while the others are rendered, jobs wait for an instance when the
// plug-in refuses another, and --tail auto ends at the frame that completes
// 100 ms below -120 dBFS (exact: frames are counted by hand).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

class BatchRender : public ::testing::Test {
 protected:
  BatchRender() {
    // At 1000 Hz: the note on at frame 0, the note off (the last event) at frame 500.
    folder_.write("in.mid", midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end()}));
  }
  ~BatchRender() override {
    for (const char* name : {"QUORLIN_PROBE_LOG", "QUORLIN_PROBE_MAX_INSTANCES", "QUORLIN_PROBE_BLOCK_MILLISECONDS"}) {
      setEnvironment(name, "");
    }
  }

  ToolRun render(const std::string& arguments) {
    return runTool(folder_, std::string("render --plugin ") + PROBE_PLUGIN_FILE + " " + arguments);
  }

  std::string writeList(const std::string& text) {
    const std::string path = folder_.file("list.txt");
    folder_.write("list.txt", Bytes(text.begin(), text.end()));
    return path;
  }

  TestFolder folder_;
};

TEST_F(BatchRender, FailingLinesAreReportedByNumberAndTheOthersRendered) {
  const std::string in = folder_.file("in.mid");
  const std::string list = writeList(
      "# two songs, two faults\n" + in + " " + folder_.file("one.wav") + " --rate 1000 --tail 0.1\n\n" +
      folder_.file("absent.mid") + " " + folder_.file("two.wav") + "\n" + in + " " + folder_.file("three.wav") +
      " --rate 12\r\n  " + in + " \"" + folder_.file("four five.wav") + "\" --rate 1000 --tail 0.2\n");
  for (const std::string& source : {list, std::string("- <") + list}) {
    const ToolRun run = render("--jobs 2 --batch " + source);
    EXPECT_EQ(run.exitStatus, 4) << run.err;
    std::vector<std::string> errors = linesOf(run.err);
    std::sort(errors.begin(), errors.end());
    const std::string name = source == list ? list : "standard input";
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_EQ(errors[0].rfind("quorlin-host: " + name + ":4: " + folder_.file("absent.mid") + ": cannot open", 0), 0u)
        << errors[0];
    EXPECT_EQ(errors[1].rfind("quorlin-host: " + name + ":5: --rate needs a whole number", 0), 0u) << errors[1];
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[2].rfind("batch: 2 songs done, 2 failed, 1.30 s of audio in ", 0), 0u) << lines[2];

    for (const auto& [output, tail] :
         {std::pair<std::string, std::string>{"one.wav", "0.1"}, {"four five.wav", "0.2"}}) {
      const ToolRun single = render("--quiet --rate 1000 --tail " + tail + " " + in + " " + folder_.file("single.wav"));
      ASSERT_EQ(single.exitStatus, 0) << single.err;
      EXPECT_EQ(folder_.read(output), folder_.read("single.wav")) << output;
    }
  }
}

TEST_F(BatchRender, JobsWaitForAnInstanceWhenThePlugInRefusesAnother) {
  setEnvironment("QUORLIN_PROBE_LOG", folder_.file("probe.log"));
  setEnvironment("QUORLIN_PROBE_MAX_INSTANCES", "1");
  setEnvironment("QUORLIN_PROBE_BLOCK_MILLISECONDS", "1");
  std::string text;
  for (const char* output : {"a.wav", "b.wav", "c.wav", "d.wav"}) {
    text += folder_.file("in.mid") + " " + folder_.file(output) + " --rate 1000 --block 50 --tail 0.5\n";
  }
  const ToolRun run = render("--quiet --jobs 3 --batch " + writeList(text));
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* output : {"a.wav", "b.wav", "c.wav", "d.wav"}) EXPECT_TRUE(folder_.exists(output)) << output;
  const Bytes log = folder_.read("probe.log");
  const std::vector<std::string> lines = linesOf(std::string(log.begin(), log.end()));
  EXPECT_GT(std::count(lines.begin(), lines.end(), "refused"), 0) << "the jobs never ran at the same time";
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "open"), 4);
}

TEST_F(BatchRender, AutoTailEndsWithTheFrameThatCompletesATenthOfASecondOfQuiet) {
  // The probe writes the note off into frame 500 and silence after it: the
  // quiet stretch runs from frame 501 to 600, so the file holds 601 frames.
  for (const char* block : {"1", "7", "512"}) {
    const ToolRun run = render(std::string("--rate 1000 --tail auto --block ") + block + " " + folder_.file("in.mid") +
                               " " + folder_.file("out.wav"));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(littleEndianAt(folder_.read("out.wav"), 46, 4), 601u) << "block " << block;
    const std::vector<std::string> lines = linesOf(run.out);
    const std::string ending = "x real time, tail 0.10 s";
    ASSERT_EQ(lines.size(), 1u) << run.out;
    ASSERT_GT(lines[0].size(), ending.size()) << lines[0];
    EXPECT_NE(lines[0].find(": 0.60 s, 2 ch, 1000 Hz,"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - ending.size()), ending);
  }
}

}  // namespace
