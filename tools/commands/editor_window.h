// A plug-in's editor open in a window of the host's own, sized as the editor
// asks, and idled as a desktop host idles it.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "tools/hosting/host_window.h"
#include "tools/hosting/instrument.h"

class EditorWindow {
 public:
  // Hosts give editors their idle call about sixty times a second.
  static constexpr std::chrono::milliseconds kIdlePeriod{16};

  // Throws ToolError when there is no editor or no window to open it in.
  EditorWindow(Instrument& instrument, const std::string& title);
  // Handles the window's events and gives the editor its idle call; false
  // once the user has closed the window (then with no idle call) or the
  // editor asks to be closed.
  bool idle();
  RgbImage capture() const { return window_.capture(); }

 private:
  EditorWindow(Instrument& instrument, const std::string& title, std::pair<int, int> size);

  HostWindow window_;
  std::unique_ptr<InstrumentEditor> editor_;  // closed before its window goes
};
