// An LV2 UI's own knob change is never sent back to it with the value from
// before: Quorlin's UI in quorlin-host's window, a knob dragged with the
// pointer, then the editor idled with no run in between (as while play waits
// for a period of PipeWire's 1024 frames) shows what it shows once runs have
// taken the value, pixel for pixel.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tools/hosting/host_window.h"
#include "tools/hosting/instrument_plugin.h"
#include "x_session.h"

namespace {

constexpr int32_t kBlock = 256;

TEST(Lv2EditorEcho, AKnobTheUserTurnedStaysWhileNoRunHasTakenItsValue) {
  XSession x;
  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(QUORLIN_LV2_BUNDLE);
  const std::unique_ptr<Instrument> instrument = plugin->instantiate();
  SessionSettings settings;
  settings.blockSize = kBlock;
  instrument->configure(settings);
  instrument->start();
  HostWindow window("echo", 300, 200);  // at the screen's corner: no window manager moves it
  const std::unique_ptr<InstrumentEditor> editor = instrument->openEditor(window);
  const auto idle = [&](int times, bool run) {
    for (int i = 0; i < times; ++i) {
      window.handleEvents();
      editor->idle();
      if (run) instrument->process(kBlock);
      std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
  };
  idle(20, true);
  const auto before = instrument->parameterValues();
  // The decay knob, third of the lower row, dragged 40 pixels to the right.
  x.movePointer(149, 135);
  idle(5, true);
  x.pressButton();
  for (int step = 10; step <= 40; step += 10) {
    x.movePointer(149 + step, 135);
    idle(3, true);
  }
  x.releaseButton();
  idle(10, false);
  const RgbImage withoutRun = window.capture();
  idle(5, true);
  EXPECT_NE(instrument->parameterValues(), before) << "the drag turned no knob";
  EXPECT_TRUE(window.capture().pixels == withoutRun.pixels) << "the knob jumped back while no run took its value";
}

}  // namespace
