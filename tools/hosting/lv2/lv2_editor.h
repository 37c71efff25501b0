// An LV2 plug-in's X11 UI (ui:X11UI) in the host's window, as a desktop host
// embeds one: the UI library is loaded beside the plug-in's, made with
// ui:parent set to the window, told each control port's value through
// port_event, and idled through ui:idleInterface. The UI's port writes go to
// the control inputs, through the instrument's requests. At every idle, each
// control value that the plug-in's last run left changed since the UI last
// saw it goes back to the UI: a value the plug-in or the host changed, never
// the UI's own write, nor an older value while that write waits for a run.
// When the instrument makes its instance anew (a new sample rate), the UI is
// made anew on it, in the same window.
#pragma once

#include <lilv/lilv.h>
#include <lv2/ui/ui.h>

#include <string>
#include <vector>

#include "tools/hosting/instrument.h"
#include "tools/hosting/lv2/lv2_plugin.h"

class Lv2Instrument;

// The UI the host opens: the plug-in's first X11 UI.
struct EditorUi {
  std::string uri;
  std::string binary;  // the library's path
  std::string bundle;  // the bundle folder's path, with a trailing slash
  std::vector<std::string> requiredFeatures;
};

// Throws ToolError (kExitBadModule) for a plug-in without an X11 UI (the
// line says which kinds it has and which the host opens). The caller holds
// the interface thread.
EditorUi chooseEditorUi(const Lv2Plugin& plugin);

class Lv2Editor : public InstrumentEditor {
 public:
  // Throws ToolError (kExitBadModule) for a UI that cannot be loaded, needs
  // a feature the host does not give, or fails to start.
  Lv2Editor(Lv2Instrument& instrument, HostWindow& window);
  ~Lv2Editor() override;
  Lv2Editor(const Lv2Editor&) = delete;
  Lv2Editor& operator=(const Lv2Editor&) = delete;

  bool idle() override;

  // The instrument's, around making its instance anew: the UI goes before the
  // old instance, and comes back on the new one, told every control value.
  void closeUi();
  void openUi();

 private:
  static void writePort(LV2UI_Controller controller, uint32_t index, uint32_t size, uint32_t protocol,
                        const void* buffer);
  static int resize(LV2UI_Feature_Handle handle, int width, int height);
  // Sends every control value the UI has not seen.
  void showChanges();

  Lv2Instrument& instrument_;
  HostWindow& window_;
  EditorUi ui_;
  void* library_ = nullptr;
  const LV2UI_Descriptor* descriptor_ = nullptr;
  LV2UI_Handle handle_ = nullptr;
  const LV2UI_Idle_Interface* idleInterface_ = nullptr;
  std::vector<float> shown_;  // by port index: the value the UI last saw
  std::vector<bool> seen_;
  LV2UI_Resize resizeFeature_;
  std::vector<LV2_Feature> features_;
  std::vector<const LV2_Feature*> featureList_;
};
