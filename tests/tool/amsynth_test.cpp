// quorlin-host with an instrument it was not written for: amsynth's VST 2
// module. The render must be silent before the first note and sound where the
// notes are; `info` must print amsynth's own name and programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

constexpr int kRate = 44100;
// 480 ticks per quarter note at the default 0.5 s: tick 960 is 1.0 s.
constexpr int64_t kFirstNoteFrame = kRate;  // C4 from 1.0 s to 1.5 s
constexpr int64_t kChordFrame = 3 * kRate;  // E4 and G4 from 3.0 s to 3.5 s
constexpr int64_t kTenthOfASecond = kRate / 10;

Bytes twoNotesSong() {
  return midiFile(0, 480,
                  {TrackBytes()
                       .event(960, {0x90, 60, 100})
                       .event(480, {0x80, 60, 0})
                       .event(1440, {0x90, 64, 100})
                       .event(0, {0x90, 67, 100})
                       .event(480, {0x80, 64, 0})
                       .event(0, {0x80, 67, 0})
                       .end(480)});
}

class Amsynth : public ::testing::Test {
 protected:
  Amsynth() {
    // amsynth reads and creates user banks in the home folder; a fresh one makes
    // its program list the same on every machine.
    setEnvironment("HOME", std::filesystem::absolute(folder_.file("")).string());
    // amsynth leaves some of its own allocations behind when it is closed; in a
    // sanitizer build the leak check would blame the host for them. (The
    // tool's own leaks are checked by the runs with the probe and with Quorlin.)
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    setEnvironment("ASAN_OPTIONS", std::string(sanitizer != nullptr ? sanitizer : "") + ":detect_leaks=0");
  }
  TestFolder folder_;
};

std::vector<float> leftChannel(const std::vector<float>& interleaved) {
  std::vector<float> left;
  for (size_t i = 0; i < interleaved.size(); i += 2) left.push_back(interleaved[i]);
  return left;
}

double rms(const std::vector<float>& samples, int64_t begin, int64_t end) {
  double sum = 0.0;
  for (int64_t i = begin; i < end; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(end - begin));
}

TEST_F(Amsynth, RenderIsSilentBeforeTheNotesAndSoundsWhereTheyAre) {
  const std::string song = folder_.write("song.mid", twoNotesSong());
  const ToolRun run = runTool(folder_, std::string("render --quiet --plugin ") + AMSYNTH_VST_MODULE + " " + song + " " +
                                           folder_.file("out.wav"));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<float> samples = floatSamples(folder_.read("out.wav"));
  ASSERT_EQ(samples.size(), 2u * 5 * kRate);  // the song's 4 s and the default 1 s tail

  // Exact: before the first note-on, every sample of both channels is zero.
  const auto firstSound = std::find_if(samples.begin(), samples.end(), [](float s) { return s != 0.0f; });
  ASSERT_NE(firstSound, samples.end()) << "the render is silent";
  const int64_t firstSoundFrame = (firstSound - samples.begin()) / 2;
  EXPECT_GE(firstSoundFrame, kFirstNoteFrame);
  // amsynth starts a note at its event's frame; its attack may leave the very first samples at zero.
  EXPECT_LT(firstSoundFrame, kFirstNoteFrame + 64);

  // Within a generous bound: a held note of amsynth's default program is far above -40 dBFS.
  const std::vector<float> left = leftChannel(samples);
  EXPECT_GT(rms(left, kFirstNoteFrame, kFirstNoteFrame + kTenthOfASecond), 0.01);
  // The chord comes after the first note's release has faded: it is much louder than the tenth of a second before it.
  const double beforeChord = rms(left, kChordFrame - kTenthOfASecond, kChordFrame);
  const double chord = rms(left, kChordFrame, kChordFrame + kTenthOfASecond);
  EXPECT_GT(chord, 0.01);
  EXPECT_GT(chord, 4.0 * beforeChord);
}

// amsynth keeps its state as a chunk of text. A program or bank saved by a
// render and loaded by the next must sound as the program it came from:
// within 1e-3 of full scale, as amsynth writes its values with a limited
// number of digits, while another program differs by far more.
TEST_F(Amsynth, APresetSavedByARenderSoundsLikeTheProgramItCameFrom) {
  const std::string song = folder_.write("song.mid", twoNotesSong());
  const auto render = [&](const std::string& options, const std::string& output) {
    const ToolRun run = runTool(folder_, std::string("render --quiet --plugin ") + AMSYNTH_VST_MODULE + " " +
                                             options + " " + song + " " + folder_.file(output));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return floatSamples(folder_.read(output));
  };
  const auto largestDifference = [](const std::vector<float>& a, const std::vector<float>& b) {
    EXPECT_EQ(a.size(), b.size());
    float largest = 0.0f;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
  };
  const std::vector<float> original = render("--program 5", "original.wav");
  EXPECT_GT(largestDifference(original, render("--program 0", "other.wav")), 0.1f);
  for (const auto& [file, kind] : {std::pair{"saved.fxp", "FPCh"}, {"saved.fxb", "FBCh"}}) {
    render("--program 5 --save " + folder_.file(file), "saving.wav");
    const Bytes saved = folder_.read(file);
    ASSERT_GE(saved.size(), 20u) << file;
    EXPECT_EQ(std::string(saved.begin() + 8, saved.begin() + 12), kind) << file;
    EXPECT_EQ(std::string(saved.begin() + 16, saved.begin() + 20), "amsy") << file;
    EXPECT_LT(largestDifference(original, render("--preset " + folder_.file(file), "loaded.wav")), 1e-3f) << file;
  }
}

TEST_F(Amsynth, InfoPrintsItsNameAndItsPrograms) {
  const ToolRun run = runTool(folder_, std::string("info --plugin ") + AMSYNTH_VST_MODULE);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> lines = linesOf(run.out);
  const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("name            \"amsynth\"")) << run.out;
  EXPECT_TRUE(has("vendor          \"Nick Dowell\"")) << run.out;
  EXPECT_TRUE(has("unique ID       'amsy' (0x616D7379)")) << run.out;
  EXPECT_TRUE(has("category        2 (synth)")) << run.out;

  // The program names, in order, as the tool printed them.
  std::vector<std::string> programs;
  const auto start =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("programs ", 0) == 0; });
  ASSERT_NE(start, lines.end()) << run.out;
  const int count = std::stoi(start->substr(16));
  for (auto line = start + 1; line != lines.end() && line->rfind("  ", 0) == 0; ++line) {
    const size_t quote = line->find('"');
    programs.push_back(quote == std::string::npos ? "" : line->substr(quote + 1, line->size() - quote - 2));
  }
  EXPECT_EQ(programs.size(), static_cast<size_t>(count));

  // amsynth's own data says what its programs are called: the presets of its
  // first factory bank must appear, in order, among them.
  std::ifstream bank(AMSYNTH_FIRST_BANK);
  ASSERT_TRUE(bank) << AMSYNTH_FIRST_BANK;
  std::vector<std::string> bankNames;
  const std::string marker = "<preset> <name> ";
  for (std::string line; std::getline(bank, line);) {
    if (line.rfind(marker, 0) == 0) bankNames.push_back(line.substr(marker.size()));
  }
  ASSERT_FALSE(bankNames.empty());
  EXPECT_NE(std::search(programs.begin(), programs.end(), bankNames.begin(), bankNames.end()), programs.end())
      << "the presets of " << AMSYNTH_FIRST_BANK << " are not among the programs";
}

}  // namespace
