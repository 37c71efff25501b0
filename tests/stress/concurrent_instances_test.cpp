// Eight instances of the loaded module rendering at once, each on its own
// thread as hosts run them, while a ninth is asked for and refused.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "host_operations.h"
#include "loaded_instrument.h"
#include "test_song.h"

namespace {

constexpr int kInstances = 8;
constexpr int kBlocks = 2000;  // about 23 seconds of audio per instance

// Exact comparison: every instance computes the same operations on the same
// inputs in the same order whichever thread runs it, so any difference at all
// means one instance reached into another's state.
size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return i;
  }
  return a.size();
}

std::vector<float> renderAlone(int song) {
  LoadedInstrument instrument(quietHost);
  if (instrument.record() == nullptr) return {};
  return renderSong(instrument.record(), song, kBlocks);
}

TEST(ConcurrentInstances, EightRenderOnTheirOwnThreadsAsTheyWouldAloneAndANinthIsRefused) {
  std::vector<std::unique_ptr<LoadedInstrument>> instruments;
  for (int i = 0; i < kInstances; ++i) {
    instruments.push_back(std::make_unique<LoadedInstrument>(quietHost));
    ASSERT_NE(instruments.back()->record(), nullptr) << "instance " << i;
  }

  std::vector<std::vector<float>> together(kInstances);
  std::atomic<int> rendering{0};
  std::atomic<bool> ninthAsked{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kInstances; ++i) {
    threads.emplace_back([&, i] {
      AEffect* effect = instruments[static_cast<size_t>(i)]->record();
      prepareSong(effect, i);
      std::vector<float>& samples = together[static_cast<size_t>(i)];
      samples.resize(static_cast<size_t>(kBlocks) * 2 * kSongBlockFrames);
      for (int block = 0; block < kBlocks; ++block) {
        float* left = samples.data() + static_cast<size_t>(block) * 2 * kSongBlockFrames;
        playSongBlock(effect, i, block, left, left + kSongBlockFrames);
        // Half-way, wait until the ninth has been asked for, so that the
        // refusal happens while every instance is mid-song.
        if (block == kBlocks / 2) {
          ++rendering;
          while (!ninthAsked) std::this_thread::yield();
        }
      }
    });
  }

  while (rendering < kInstances) std::this_thread::yield();
  // Through both names a host may look the entry point up by.
  const VstPluginMainProc entries[2] = {quorlinModule().entry("main"), quorlinModule().entry("VSTPluginMain")};
  int refused = 0;
  for (int attempt = 0; attempt < 10; ++attempt) {
    const VstPluginMainProc entry = entries[attempt % 2];
    if (entry != nullptr && entry(quietHost) == nullptr) ++refused;
  }
  ninthAsked = true;
  for (std::thread& thread : threads) thread.join();
  ASSERT_NE(entries[0], nullptr);
  ASSERT_NE(entries[1], nullptr);
  EXPECT_EQ(refused, 10) << "a ninth instance was built while eight were alive";

  instruments.clear();
  for (int i = 0; i < kInstances; ++i) {
    std::vector<float> alone = renderAlone(i);
    ASSERT_EQ(alone.size(), together[static_cast<size_t>(i)].size()) << "instance " << i;
    size_t difference = firstDifference(together[static_cast<size_t>(i)], alone);
    EXPECT_EQ(difference, alone.size()) << "instance " << i << " differs from its single-threaded render at sample "
                                        << difference;
    // Two silent renders would agree trivially.
    double energy = 0.0;
    for (float sample : alone) energy += static_cast<double>(sample) * sample;
    EXPECT_TRUE(std::isfinite(energy) && energy > 1.0) << "instance " << i << " energy " << energy;
  }
}

TEST(ConcurrentInstances, APlaceFreedByClosingIsTakenByTheNextInstance) {
  std::vector<std::unique_ptr<LoadedInstrument>> instruments;
  for (int i = 0; i < kInstances; ++i) instruments.push_back(std::make_unique<LoadedInstrument>(quietHost));
  for (int round = 0; round < 3; ++round) {
    const size_t closed = static_cast<size_t>(round * 3 % kInstances);
    instruments[closed].reset();  // effClose
    instruments[closed] = std::make_unique<LoadedInstrument>(quietHost);
    ASSERT_NE(instruments[closed]->record(), nullptr) << "round " << round;
    LoadedInstrument ninth(quietHost);
    EXPECT_EQ(ninth.record(), nullptr) << "round " << round;
  }
  // The survivors still play.
  for (size_t i = 0; i < instruments.size(); ++i) {
    std::vector<float> samples = renderSong(instruments[i]->record(), static_cast<int>(i), 8);
    double energy = 0.0;
    for (float sample : samples) energy += static_cast<double>(sample) * sample;
    EXPECT_GT(energy, 0.0) << "instance " << i << " fell silent";
  }
}

}  // namespace
