// Batches and the automatic tail through the Quorlin module. Exact, byte for
// byte: a batch gives each song a fresh instance, so its files must be the
// files of the same renders run one by one, whatever the number of jobs; and
// the tail's end is decided frame by frame, so the block size cannot move it.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

TEST(QuorlinBatch, EveryFileIsByteForByteTheSameRenderRunAlone) {
  TestFolder folder;
  std::ifstream demo(QUORLIN_EXAMPLES_DIR "/demo.mid", std::ios::binary);
  const std::string song = folder.write("demo.mid", Bytes(std::istreambuf_iterator<char>(demo), {}));
  const std::vector<std::string> songOptions = {
      "--rate 48000 --block 100",
      "--format s16 --program 2 --tail 0.5",
      "--param 0=0.2 --param 5=0.9 --block 4096",
      "--tail auto --format s24 --block 64 --param 5=0.3",
      "--rate 22050 --param 6=0.4 --tail 0",
  };
  for (const std::string jobs : {"1", "2"}) {
    std::string list;
    for (size_t i = 0; i < songOptions.size(); ++i) {
      list += song + " " + folder.file("batch" + jobs + "-" + std::to_string(i) + ".wav") + " " + songOptions[i] + "\n";
    }
    folder.write("list.txt", Bytes(list.begin(), list.end()));
    const ToolRun run = runTool(folder, "render --quiet --jobs " + jobs + " --batch " + folder.file("list.txt"));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
  }
  for (size_t i = 0; i < songOptions.size(); ++i) {
    const ToolRun alone =
        runTool(folder, "render --quiet " + songOptions[i] + " " + song + " " + folder.file("alone.wav"));
    ASSERT_EQ(alone.exitStatus, 0) << alone.err;
    const Bytes expected = folder.read("alone.wav");
    EXPECT_EQ(folder.read("batch1-" + std::to_string(i) + ".wav"), expected) << songOptions[i] << ", one job";
    EXPECT_EQ(folder.read("batch2-" + std::to_string(i) + ".wav"), expected) << songOptions[i] << ", two jobs";
  }
}

TEST(QuorlinBatch, AutoTailEndsATenthOfASecondAfterTheReleaseFadesWhateverTheBlockSize) {
  TestFolder folder;
  // A note of half a second, then a release that takes about 0.2 s.
  const std::string song = folder.write(
      "note.mid", midiFile(0, 96, {TrackBytes().event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end()}));
  Bytes first;
  for (const char* block : {"3", "64", "4096"}) {
    const ToolRun run = runTool(folder, std::string("render --quiet --tail auto --param 5=0.2 --block ") + block + " " +
                                            song + " " + folder.file("out.wav"));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const Bytes wav = folder.read("out.wav");
    if (first.empty()) first = wav;
    EXPECT_EQ(wav, first) << "block " << block;
  }
  // The last 4410 frames (100 ms at 44100 Hz) lie below 1e-6, the frame before them does not.
  const std::vector<float> samples = floatSamples(first);
  const size_t frames = samples.size() / 2;
  constexpr size_t kQuietFrames = 4410;
  ASSERT_GT(frames, 22050 + kQuietFrames) << "the tail is longer than the quiet stretch alone";
  for (size_t i = 2 * (frames - kQuietFrames); i < samples.size(); ++i) ASSERT_LT(std::fabs(samples[i]), 1e-6f) << i;
  const size_t lastLoud = frames - kQuietFrames - 1;
  EXPECT_FALSE(std::fabs(samples[2 * lastLoud]) < 1e-6f && std::fabs(samples[2 * lastLoud + 1]) < 1e-6f);
}

}  // namespace
