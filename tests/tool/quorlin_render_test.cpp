// quorlin-host rendering MIDI files through the Quorlin module, compared with
// what the sound engine computes when it is handed the same events at the
// frames worked out by hand from each file's numbers.
//
// Exact, bit for bit: the module renders with the same engine code, and the
// engine splits its work only at event frames, so one render of the whole
// song equals the host's block-by-block render exactly when every event
// reaches the module on its frame. An event one frame early or late changes a
// note's start, its phase and everything after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/synth_engine.h"
#include "midi_bytes.h"
#include "test_folder.h"
#include "tool_process.h"
#include "wav_reading.h"

namespace {

struct PlacedEvent {
  int32_t frame;
  uint8_t status, data1, data2;
};

// The values of program 0 as the module starts, in parameter order.
using ParameterValues = std::vector<float>;
const ParameterValues kDefaultProgram = {0.5f, 0.0f, 0.3f, 0.0f, 0.3f, 0.0f, 0.999f, 0.999f};

// The engine's output for the events, interleaved left and right, after the
// program has been applied at the render's rate as the module applies it.
std::vector<float> engineRender(const std::vector<PlacedEvent>& placed, int32_t frames, float rate,
                                const ParameterValues& values) {
  SynthEngine engine;
  engine.setSampleRate(rate);
  engine.setWaveform(values[0]);
  engine.setFilter(values[6], values[7]);
  engine.setEnvelope(values[1], values[2], values[3], values[4], values[5]);
  std::vector<MidiEvent> events;
  for (const PlacedEvent& event : placed) events.push_back({event.frame, event.status, event.data1, event.data2});
  std::vector<float> left(static_cast<size_t>(frames));
  std::vector<float> right(static_cast<size_t>(frames));
  RenderCursor cursor;
  engine.render(events.data(), static_cast<int32_t>(events.size()), cursor, left.data(), right.data(), frames);
  std::vector<float> interleaved;
  for (int32_t i = 0; i < frames; ++i) {
    interleaved.push_back(left[i]);
    interleaved.push_back(right[i]);
  }
  return interleaved;
}

class QuorlinRender : public ::testing::Test {
 protected:
  // Renders with the module found by default, beside the executable.
  std::vector<float> render(const Bytes& song, const std::string& options) {
    const std::string input = folder_.write("song.mid", song);
    const ToolRun run = runTool(folder_, "render --quiet " + options + " " + input + " " + folder_.file("out.wav"));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return floatSamples(folder_.read("out.wav"));
  }

  // Renders at each block size and compares every render with the engine.
  void expectEngineOutput(const Bytes& song, const std::string& options, const std::vector<PlacedEvent>& events,
                          int32_t frames, float rate, const ParameterValues& values = kDefaultProgram) {
    const std::vector<float> expected = engineRender(events, frames, rate, values);
    ASSERT_EQ(expected.size(), 2u * static_cast<size_t>(frames));
    for (const char* block : {"64", "1000"}) {
      const std::vector<float> rendered = render(song, options + " --block " + block);
      ASSERT_EQ(rendered.size(), expected.size()) << "block " << block;
      size_t firstDifference = 0;
      while (firstDifference < expected.size() && rendered[firstDifference] == expected[firstDifference]) {
        ++firstDifference;
      }
      EXPECT_EQ(firstDifference, expected.size())
          << "block " << block << ": first difference at frame " << firstDifference / 2;
    }
  }

  TestFolder folder_;
};

TEST_F(QuorlinRender, EventsLandOnTheirExactFrames) {
  // 480 ticks per quarter at 0.5 s and 44100 Hz: a tick is 735/16 = 45.9375 frames,
  // and tick 1024 is frame 47040 = 735 * 64, the start of a 64-frame block.
  const Bytes song = midiFile(0, 480,
                              {TrackBytes()
                                   .event(1, {0x90, 60, 100})    // 45.9375 -> 46
                                   .event(2, {0x90, 64, 90})     // tick 3: 137.8125 -> 138
                                   .event(477, {0x80, 60, 0})    // tick 480: 22050
                                   .event(1, {0x80, 64, 0})      // tick 481: 22095.9375 -> 22096
                                   .event(543, {0x90, 67, 110})  // tick 1024: 47040
                                   .event(476, {0x80, 67, 0})    // tick 1500: 68906.25 -> 68906
                                   .end(420)});                  // tick 1920: 88200
  expectEngineOutput(song, "--tail 0.5",
                     {{46, 0x90, 60, 100},
                      {138, 0x90, 64, 90},
                      {22050, 0x80, 60, 0},
                      {22096, 0x80, 64, 0},
                      {47040, 0x90, 67, 110},
                      {68906, 0x80, 67, 0}},
                     88200 + 22050, 44100.0f);
}

TEST_F(QuorlinRender, TempoChangesMoveTheFramesThatFollow) {
  // 96 ticks per quarter at 48000 Hz: 250 frames a tick at 500000 us, 150 at
  // 300000 us from tick 96 (frame 24000), 166.6665 at 333333 us from tick 192 (frame 38400).
  const Bytes song = midiFile(0, 96,
                              {TrackBytes()
                                   .event(10, {0x90, 57, 100})  // 2500
                                   .tempo(86, 300000)           // tick 96
                                   .event(1, {0x90, 61, 100})   // tick 97: 24150
                                   .event(0, {0x80, 57, 0})
                                   .tempo(95, 333333)          // tick 192
                                   .event(1, {0x80, 61, 0})    // tick 193: 38566.6665 -> 38567
                                   .event(2, {0x90, 64, 100})  // tick 195: 38899.9995 -> 38900
                                   .event(93, {0x80, 64, 0})   // tick 288: 54399.984 -> 54400
                                   .end(12)});                 // tick 300: 56399.982 -> 56400
  expectEngineOutput(song, "--rate 48000 --tail 0.25",
                     {{2500, 0x90, 57, 100},
                      {24150, 0x90, 61, 100},
                      {24150, 0x80, 57, 0},
                      {38567, 0x80, 61, 0},
                      {38900, 0x90, 64, 100},
                      {54400, 0x80, 64, 0}},
                     56400 + 12000, 48000.0f);
}

TEST_F(QuorlinRender, TwoTracksWithRunningStatusAndVelocityZeroNoteOns) {
  // 100 ticks per quarter at 0.5 s and 44100 Hz: a tick is 220.5 frames, so
  // every odd tick lies on a half frame and rounds up.
  const TrackBytes melody = TrackBytes()
                                .event(0, {0x90, 60, 100})   // 0
                                .event(1, {64, 100})         // running status, tick 1: 221
                                .event(1, {67, 80})          // tick 2: 441
                                .event(99, {60, 0})          // velocity 0, tick 101: 22271
                                .event(0, {64, 0})           // tick 101
                                .event(2, {67, 0})           // tick 103: 22712
                                .event(17, {0x90, 72, 120})  // tick 120: 26460
                                .event(10, {0xE0, 0, 100})   // tick 130: 28665
                                .event(11, {0, 30})          // running bend, tick 141: 31091
                                .event(59, {0x80, 72, 0})    // tick 200: 44100
                                .end(40);                    // tick 240: 52920
  const TrackBytes controllers = TrackBytes()
                                     .event(5, {0xB0, 10, 20})  // pan, tick 5: 1103
                                     .event(2, {7, 80})         // running volume, tick 7: 1544
                                     .event(113, {1, 64})       // mod wheel at tick 120, after the melody's note-on
                                     .event(30, {10, 110})      // tick 150: 33075
                                     .end(50);
  // At tick 120 the merged order keeps the first track first: the note-on
  // clears the vibrato in every voice, then the mod wheel sets it again.
  expectEngineOutput(midiFile(1, 100, {melody, controllers}), "--tail 0.1",
                     {{0, 0x90, 60, 100},
                      {221, 0x90, 64, 100},
                      {441, 0x90, 67, 80},
                      {1103, 0xB0, 10, 20},
                      {1544, 0xB0, 7, 80},
                      {22271, 0x90, 60, 0},
                      {22271, 0x90, 64, 0},
                      {22712, 0x90, 67, 0},
                      {26460, 0x90, 72, 120},
                      {26460, 0xB0, 1, 64},
                      {28665, 0xE0, 0, 100},
                      {31091, 0xE0, 0, 30},
                      {33075, 0xB0, 10, 110},
                      {44100, 0x80, 72, 0}},
                     52920 + 4410, 44100.0f);
}

TEST_F(QuorlinRender, ParametersSoundBecauseTheProgramIsAppliedAgain) {
  const Bytes song = midiFile(0, 480, {TrackBytes().event(0, {0x90, 48, 127}).event(480, {0x80, 48, 0}).end(240)});
  const std::vector<PlacedEvent> events = {{0, 0x90, 48, 127}, {22050, 0x80, 48, 0}};
  const ParameterValues values = {0.1f, 0.01f, 0.5f, 0.05f, 0.25f, 0.2f, 0.3f, 0.4f};
  const std::string options =
      "--program 2 --param 0=0.1 --param 1=0.01 --param 2=0.5 --param 3=0.05 --param 4=0.25 --param 5=0.2 "
      "--param 6=0.3 --param 7=0.4 --tail 0.3";
  expectEngineOutput(song, options, events, 33075 + 13230, 44100.0f, values);
  // The comparison means something only if those values change the sound.
  EXPECT_NE(engineRender(events, 46305, 44100.0f, values), engineRender(events, 46305, 44100.0f, kDefaultProgram));
}

// A render saves what it played as a bank or a program (Quorlin's chunk); a
// fresh render that loads the file plays the very same values.
TEST_F(QuorlinRender, APresetSavedByARenderSoundsTheSameWhenLoaded) {
  const Bytes song = midiFile(0, 480, {TrackBytes().event(0, {0x90, 48, 127}).event(480, {0x80, 48, 0}).end(240)});
  const std::vector<PlacedEvent> events = {{0, 0x90, 48, 127}, {22050, 0x80, 48, 0}};
  const ParameterValues values = {0.9f, 0.02f, 0.6f, 0.05f, 0.25f, 0.1f, 0.35f, 0.3f};
  const std::string settings =
      "--program 3 --param 0=0.9 --param 1=0.02 --param 2=0.6 --param 3=0.05 --param 4=0.25 --param 5=0.1 "
      "--param 6=0.35 --param 7=0.3";
  for (const auto& [file, kind] : {std::pair{"saved.fxb", "FBCh"}, {"saved.fxp", "FPCh"}}) {
    render(song, settings + " --save " + folder_.file(file));
    const Bytes saved = folder_.read(file);
    ASSERT_GE(saved.size(), 12u) << file;
    EXPECT_EQ(std::string(saved.begin() + 8, saved.begin() + 12), kind) << file << " holds Quorlin's chunk";
    expectEngineOutput(song, std::string("--tail 0.3 --preset ") + folder_.file(file), events, 33075 + 13230,
                       44100.0f, values);
  }
  // info shows what the bank sets: program 3's values, printed to nine digits.
  const ToolRun info = runTool(folder_, "info --preset " + folder_.file("saved.fxb"));
  ASSERT_EQ(info.exitStatus, 0) << info.err;
  const std::vector<std::string> lines = linesOf(info.out);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "    3  \"Default 3\"  values 0.899999976 0.0199999996 0.600000024 0.0500000007 0.25 "
                      "0.100000001 0.349999994 0.300000012"),
            lines.end())
      << info.out;
}

}  // namespace
