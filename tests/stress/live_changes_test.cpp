// Program changes and editor knob releases arriving from the interface
// thread while the audio thread renders. The instrument accepts a block that
// sees a group of settings partly updated; what it must never do is crash or
// let a sample go to NaN or infinity.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "host_operations.h"
#include "live_values.h"
#include "test_song.h"
#include "vst2/instrument/synth_plugin.h"

namespace {

constexpr int kMinBlocks = 2000;    // about 23 seconds of audio
constexpr long kMinChanges = 20000;  // program changes and knob releases together

class LiveChanges : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = new SynthPlugin(quietHost);
    effect = plugin->record();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  }
  void TearDown() override { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

  // Renders on its own thread while `change` runs over and over on this one;
  // returns how many samples were not finite.
  template <typename Change>
  long renderWhile(Change change) {
    std::atomic<long> changes{0};
    std::atomic<bool> audioDone{false};
    long badSamples = 0;
    std::thread audio([&] {
      std::vector<float> left(kSongBlockFrames), right(kSongBlockFrames);
      for (int block = 0; block < kMinBlocks || changes < kMinChanges; ++block) {
        playSongBlock(effect, 3, block, left.data(), right.data());
        for (int i = 0; i < kSongBlockFrames; ++i) {
          if (!std::isfinite(left[static_cast<size_t>(i)]) || !std::isfinite(right[static_cast<size_t>(i)])) ++badSamples;
        }
      }
      audioDone = true;
    });
    for (long step = 0; !audioDone; ++step) {
      change(step);
      ++changes;
    }
    audio.join();
    RecordProperty("changes", static_cast<int>(changes.load()));
    return badSamples;
  }

  SynthPlugin* plugin = nullptr;
  AEffect* effect = nullptr;
};

TEST_F(LiveChanges, ProgramChangesWhileRenderingKeepEverySampleFinite) {
  long bad = renderWhile([&](long step) {
    for (int index = 0; index < 8; ++index) effect->setParameter(effect, index, hostValue(step, index));
    effect->dispatcher(effect, effSetProgram, 0, step % 4, nullptr, 0.0f);
  });
  EXPECT_EQ(bad, 0);
}

TEST_F(LiveChanges, KnobReleasesWhileRenderingKeepEverySampleFinite) {
  long bad = renderWhile([&](long step) { releaseKnobs(*plugin, step); });
  EXPECT_EQ(bad, 0);
}

TEST_F(LiveChanges, ProgramChangesAndKnobReleasesInterleavedKeepEverySampleFinite) {
  long bad = renderWhile([&](long step) {
    if (step % 2 == 0) {
      effect->setParameter(effect, static_cast<int>(step % 8), hostValue(step, 0));
      effect->dispatcher(effect, effSetProgram, 0, (step / 2) % 4, nullptr, 0.0f);
    } else {
      plugin->setFilter(knobValue(step, 1), knobValue(step, 2));
      plugin->setEnvelope(knobValue(step, 3), knobValue(step, 4), knobValue(step, 5), knobValue(step, 6),
                          knobValue(step, 7));
      plugin->setWaveform(knobValue(step, 0));
    }
  });
  EXPECT_EQ(bad, 0);
}

}  // namespace
