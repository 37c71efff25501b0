// The real editor of the loaded module, in windows of a real X server (Xvfb
// in CI), in a host that draws with OpenGL itself: opened and closed two
// hundred times the way Linux hosts do it, and knobs dragged with the mouse
// while the audio thread renders.
#include "editor_host.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "host_gl_context.h"
#include "test_song.h"

namespace {

constexpr int kCycles = 200;
constexpr int kWarmUpCycles = 20;
constexpr long kAllowedGrowthPerCycle = 1024;

class EditorInGlHost : public EditorHost {
 protected:
  void SetUp() override {
    EditorHost::SetUp();
    keepHostGlContextAlive();
  }
};

TEST_F(EditorInGlHost, OpenedAndClosedTwoHundredTimesLeavesNoWindowErrorOrHeapGrowth) {
  const long growth = openAndCloseInFreshParents(kCycles, kWarmUpCycles);
  EXPECT_EQ(HostDisplay::errors(), 0) << "X errors during the cycles";
  RecordProperty("heap_growth_bytes", static_cast<int>(growth));
  // A rendering context left behind costs megabytes with Mesa.
  const long measuredCycles = kCycles - kWarmUpCycles;
  EXPECT_LT(growth, kAllowedGrowthPerCycle * measuredCycles)
      << "heap grew by " << growth << " bytes over " << measuredCycles << " cycles";
}

TEST_F(EditorInGlHost, OpenedAgainInTheSameParentShowsOneEditor) {
  // Some hosts keep one parent window for the plug-in's whole life.
  Window parent = host.createParent();
  for (int cycle = 0; cycle < kCycles / 4; ++cycle) {
    ASSERT_NE(openIn(parent), 0u) << "cycle " << cycle;
    dispatch(effEditClose);
    idle(1);
  }
  host.destroy(parent);
  idle(1);
  EXPECT_EQ(HostDisplay::errors(), 0);
}

TEST_F(EditorInGlHost, KnobDragsWhileRenderingChangeTheSoundAndKeepEverySampleFinite) {
  AEffect* effect = instrument.record();
  Window parent = host.createParent();
  Window editor = openIn(parent);
  ASSERT_NE(editor, 0u);

  std::atomic<bool> dragsDone{false};
  std::atomic<int> blocks{0};
  long badSamples = 0;
  prepareSong(effect, 5);
  std::thread audio([&] {
    std::vector<float> left(kSongBlockFrames), right(kSongBlockFrames);
    for (int block = 0; !dragsDone || block < 200; ++block) {
      playSongBlock(effect, 5, block, left.data(), right.data());
      for (int i = 0; i < kSongBlockFrames; ++i) {
        if (!std::isfinite(left[static_cast<size_t>(i)]) || !std::isfinite(right[static_cast<size_t>(i)])) ++badSamples;
      }
      ++blocks;
    }
  });

  // Knob centres in the editor's window: the waveform knob and the cutoff knob.
  struct Knob {
    int parameter, x, y;
  };
  const Knob knobs[] = {{0, 67, 85}, {6, 177, 85}};
  int changed = 0;
  for (int drag = 0; drag < 100; ++drag) {
    const Knob& knob = knobs[drag % 2];
    const float before = effect->getParameter(effect, knob.parameter);
    const int distance = (drag % 7 - 3) * 40;  // -120 to +120 pixels
    host.sendMouse(editor, ButtonPress, knob.x, knob.y, 0);
    idle(1);
    host.sendMouse(editor, MotionNotify, knob.x + distance, knob.y, Button1Mask);
    idle(1);
    host.sendMouse(editor, ButtonRelease, knob.x + distance, knob.y, Button1Mask);
    idle(1);
    if (effect->getParameter(effect, knob.parameter) != before) ++changed;
  }
  dragsDone = true;
  audio.join();
  dispatch(effEditClose);
  host.destroy(parent);
  idle(1);

  EXPECT_EQ(badSamples, 0);
  EXPECT_GT(changed, 50) << "the drags did not reach the parameters";
  EXPECT_EQ(HostDisplay::errors(), 0);
  RecordProperty("blocks_rendered", blocks.load());
}

}  // namespace
