// The host's own top-level window that a plug-in's editor opens in: an X11
// window on Linux (its id is what Linux plug-ins take as parent), a Win32
// window on Windows (its HWND).
#pragma once

#include <string>

#include "tools/files/png_writer.h"

class HostWindow {
 public:
  /// A visible window whose inside is width by height pixels. Throws ToolError when it cannot be made.
  HostWindow(const std::string& title, int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  /// What the plug-in's effEditOpen takes as its parent.
  void* parentHandle() const;
  /// Gives the inside a new size, as an editor that resizes itself asks.
  void resize(int width, int height);
  /// Takes the size of `child`, an editor's own window inside this one.
  void fitChild(void* child);
  /// Handles the window's own events; false once the user has closed it.
  bool handleEvents();
  /// What the window's inside shows now, the plug-in's editor included.
  RgbImage capture() const;

 private:
  struct State;
  State* state;
};
