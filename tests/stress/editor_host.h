// A Linux host's side of the editor: its own connection to the X server, the
// windows it hands the editor as parents, and the loaded module whose editor
// it opens. The editor pumps its X events when the host calls effEditIdle.
#pragma once

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>

#include <vector>

#include "host_operations.h"
#include "loaded_instrument.h"

constexpr int kEditorWidth = 300;
constexpr int kEditorHeight = 200;

class HostDisplay {
 public:
  /// Connects and counts every X error of the process from then on.
  HostDisplay();
  ~HostDisplay();
  HostDisplay(const HostDisplay&) = delete;
  HostDisplay& operator=(const HostDisplay&) = delete;

  Display* get() const { return display; }
  /// X errors seen since the connection was made, on any connection of the process.
  static int errors();

  /// A mapped 400 by 300 top-level window.
  Window createParent();
  void destroy(Window window);
  std::vector<Window> childrenOf(Window window);
  /// A button (Button1) or motion event sent to the window, as the server would deliver it.
  void sendMouse(Window window, int type, int x, int y, unsigned int state);

 private:
  Display* display;
  XErrorHandler previousHandler = nullptr;
};

class EditorHost : public ::testing::Test {
 protected:
  void SetUp() override;

  VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) { return instrument.dispatch(opcode, 0, 0, ptr); }
  void idle(int times);
  /// Opens the editor in `parent`; returns its window, checked to be the
  /// parent's only child, 300 by 200 and on screen, or 0.
  Window openIn(Window parent);
  /// Open, close and destroy the parent `cycles` times, each in a fresh parent
  /// as Linux hosts do; returns the growth of the heap in use after the first
  /// `warmUp` cycles, and checks that no window is left behind.
  long openAndCloseInFreshParents(int cycles, int warmUp);

  HostDisplay host;
  LoadedInstrument instrument{quietHost};
};
