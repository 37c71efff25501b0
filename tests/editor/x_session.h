// A test's own connection to the X server the editor draws on: host windows
// to open editors in, pictures of windows, and real pointer input through the
// XTest extension, as a user's mouse would give it.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
  int red, green, blue;
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first

  Rgb at(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

class XSession {
 public:
  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  Display* display() const { return connection; }

  /// A mapped top-level window at (x, y) of the screen, as a host's editor window.
  Window createHostWindow(int x, int y, int width, int height);
  void destroyWindow(Window window);
  /// The window's direct children, oldest first.
  std::vector<Window> children(Window window);
  /// What the window shows now.
  Picture capture(Window window);
  /// Asks the server to send the window an expose event, as a host's repaint does.
  void exposeWindow(Window window);

  // Pointer input in screen coordinates.
  void movePointer(int x, int y);
  void pressButton();
  void releaseButton();

 private:
  Display* connection;
};

/// Lets the editor read and answer what the server sent it: the host's idle
/// calls, a few times over, with a short pause for the server between them.
void pumpEditor(const std::function<void()>& idle);
