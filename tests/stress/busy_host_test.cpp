// A host that does everything at once: its audio thread renders and sets and
// reads parameters, a second thread changes programs and parameters, loads
// chunks and sends knob releases as fast as it can, and its interface thread
// (which draws with OpenGL itself) opens, idles and closes the editor in fresh
// X windows. Built with -fsanitize=thread (scripts/test.sh tsan) this is where
// a data race among the three threads shows; in every build each sample must
// stay finite and the X connection free of errors.
#include "editor_host.h"
// After GoogleTest, which editor_host.h includes.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "host_gl_context.h"
#include "live_values.h"
#include "test_song.h"
#include "vst2/instrument/synth_plugin.h"

namespace {

constexpr int kEditorCycles = 20;
constexpr int kIdlesPerCycle = 5;
constexpr int kSong = 7;

void* parentHandle(Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

// Waits until the counter has moved past `mark`, so that the other thread
// worked while the editor was open.
void waitPast(const std::atomic<long>& counter, long mark) {
  while (counter.load() == mark) std::this_thread::yield();
}

class BusyHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(host.get(), nullptr) << "no X display: run the tests under xvfb-run";
    keepHostGlContextAlive();
    plugin = new SynthPlugin(quietHost);
    effect = plugin->record();
    prepareSong(effect, kSong);
    // Two banks that make another program current, and one program.
    for (const auto& [program, isPreset] : {std::pair<int, int>{1, 0}, {3, 0}, {2, 1}}) {
      effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
      uint8_t* data = nullptr;
      const VstIntPtr size = effect->dispatcher(effect, effGetChunk, isPreset, 0, &data, 0.0f);
      chunks.emplace_back(isPreset, std::vector<uint8_t>(data, data + size));
    }
  }
  void TearDown() override {
    if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  }

  VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
  }
  void idle(int times) {
    for (int i = 0; i < times; ++i) dispatch(effEditIdle);
  }

  HostDisplay host;
  std::vector<std::pair<int, std::vector<uint8_t>>> chunks;  // isPreset, blob
  SynthPlugin* plugin = nullptr;
  AEffect* effect = nullptr;
};

TEST_F(BusyHost, RendersChangesProgramsAndOpensTheEditorAtOnce) {
  std::atomic<bool> done{false};
  std::atomic<long> blocks{0};
  std::atomic<long> changes{0};
  long badSamples = 0;
  long badValues = 0;
  std::thread audio([&] {
    std::vector<float> left(kSongBlockFrames), right(kSongBlockFrames);
    for (int block = 0; !done; ++block) {
      playSongBlock(effect, kSong, block, left.data(), right.data());
      for (int i = 0; i < kSongBlockFrames; ++i) {
        if (!std::isfinite(left[static_cast<size_t>(i)]) || !std::isfinite(right[static_cast<size_t>(i)])) ++badSamples;
      }
      for (int index = 0; index < 8; ++index) {
        effect->setParameter(effect, index, hostValue(block, index));
        if (!std::isfinite(effect->getParameter(effect, index))) ++badValues;
      }
      ++blocks;
    }
  });
  std::thread changer([&] {
    for (long step = 0; !done; ++step) {
      for (int index = 0; index < 8; ++index) effect->setParameter(effect, index, hostValue(step, index));
      effect->dispatcher(effect, effSetProgram, 0, step % 4, nullptr, 0.0f);
      auto& [isPreset, blob] = chunks[static_cast<size_t>(step) % chunks.size()];
      effect->dispatcher(effect, effSetChunk, isPreset, static_cast<VstIntPtr>(blob.size()), blob.data(), 0.0f);
      releaseKnobs(*plugin, step);
      ++changes;
    }
  });

  int opened = 0;
  for (int cycle = 0; cycle < kEditorCycles; ++cycle) {
    const long blocksBefore = blocks;
    const long changesBefore = changes;
    Window parent = host.createParent();
    ERect* rect = nullptr;
    dispatch(effEditGetRect, &rect);
    dispatch(effEditOpen, parentHandle(parent));
    idle(kIdlesPerCycle);
    if (host.childrenOf(parent).size() == 1) ++opened;
    waitPast(blocks, blocksBefore);
    waitPast(changes, changesBefore);
    idle(1);
    dispatch(effEditClose);
    idle(1);
    host.destroy(parent);
    idle(1);
  }
  done = true;
  audio.join();
  changer.join();

  EXPECT_EQ(opened, kEditorCycles);
  EXPECT_EQ(badSamples, 0);
  EXPECT_EQ(badValues, 0);
  EXPECT_EQ(HostDisplay::errors(), 0);
  RecordProperty("blocks_rendered", static_cast<int>(blocks.load()));
  RecordProperty("changes", static_cast<int>(changes.load()));
}

}  // namespace
