// A CLAP plug-in's editor (clap.gui), embedded in the host's window: made,
// sized, given the window as its parent and shown, then idled from the main
// thread, which serves its timers and file descriptors and follows the sizes
// it asks for; destroyed before the window goes. Main thread only.
#pragma once

#include "tools/hosting/clap/clap_instrument.h"
#include "tools/hosting/host_window.h"
#include "tools/hosting/instrument.h"

class ClapEditor : public InstrumentEditor {
 public:
  // `api` is the window system's name in CLAP ("x11", "win32"). Throws
  // ToolError (kExitBadModule) when the plug-in cannot make its editor there.
  ClapEditor(ClapInstrument& instrument, HostWindow& window, const char* api);
  ~ClapEditor() override;
  ClapEditor(const ClapEditor&) = delete;
  ClapEditor& operator=(const ClapEditor&) = delete;

  // Serves what the plug-in asked of the main thread; false once the plug-in
  // says its editor is gone.
  bool idle() override;

 private:
  ClapInstrument& instrument_;
  HostWindow& window_;
  const clap_plugin_gui_t* gui_;
};
