// An instrument built directly (as the module's entry point builds it) whose
// editor opens in a host window of the test's own X connection. The test
// plays the host: it opens and closes the editor and calls its idle.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "vst2/editor/gl_editor.h"
#include "vst2/instrument/synth_plugin.h"
#include "x_session.h"

// The host window's place on the screen: far enough from the edges that a
// 300-pixel drag either way stays on the screen.
constexpr int kHostX = 400;
constexpr int kHostY = 300;

inline Window xWindowOf(platform::WindowHandle handle) {
  return static_cast<Window>(reinterpret_cast<uintptr_t>(handle));
}

class EditorFixture : public ::testing::Test {
 protected:
  std::unique_ptr<SynthPlugin> makePlugin() { return std::make_unique<SynthPlugin>(nullptr); }

  void open(SynthPlugin& instrument, Window parent) {
    instrument.glEditor->open(reinterpret_cast<void*>(parent));
    pump(instrument);
  }
  void pump(SynthPlugin& instrument) {
    pumpEditor([&] { instrument.glEditor->idle(); });
  }
  Picture pictureOf(SynthPlugin& instrument) { return x.capture(xWindowOf(instrument.glEditor->windowHandle())); }

  /// Applies a program whose eight values are all `value`; the knobs follow.
  void setAllValues(SynthPlugin& instrument, float value) {
    for (int parameter = 0; parameter < 8; ++parameter) instrument.setParameter(parameter, value);
    instrument.setProgram(0);
    pump(instrument);
  }

  // Pointer input in the editor window's own pixels.
  void pressAt(SynthPlugin& instrument, int x_, int y_) {
    x.movePointer(kHostX + x_, kHostY + y_);
    x.pressButton();
    pump(instrument);
  }
  void moveTo(SynthPlugin& instrument, int x_, int y_) {
    x.movePointer(kHostX + x_, kHostY + y_);
    pump(instrument);
  }
  void release(SynthPlugin& instrument) {
    x.releaseButton();
    pump(instrument);
  }

  XSession x;
  Window host = x.createHostWindow(kHostX, kHostY, 300, 200);
};
