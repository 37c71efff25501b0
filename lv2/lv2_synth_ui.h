// The instrument's editor as an LV2 UI: the editor panel, talking to the
// plug-in through its control ports only. Values that arrive from the host
// (automation, a preset, a session loaded) turn the knobs and are never
// written back; releasing a knob the mouse held writes that knob's value.
//
// Every call comes from the host's interface thread, which also receives the
// panel's window messages (read by idle).
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>
#include <string>

#include "editor/editor_panel.h"
#include "editor/knob_listener.h"
#include "engine/parameters.h"

class Lv2SynthUi final : public KnobListener {
 public:
  /// Knobs at the default program's values; throws the integer -1 when the
  /// process holds eight editors already.
  Lv2SynthUi(LV2UI_Write_Function write, LV2UI_Controller controller, std::string title);
  /// Destroys the window, embedded or its own.
  ~Lv2SynthUi();
  Lv2SynthUi(const Lv2SynthUi&) = delete;
  Lv2SynthUi& operator=(const Lv2SynthUi&) = delete;

  /// The panel inside the host's window; the widget handed to the host, or
  /// null when the window could not be made.
  LV2UI_Widget openIn(void* parent);
  /// A control port's new value, which turns its knob.
  void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
  /// Delivers the window's messages; 1 once the user closed a window of its own.
  int idle();
  /// Shows the panel in a window of its own, for hosts that cannot embed it; 0 on success.
  int show();
  /// Takes that window away; 0.
  int hide();

  /// Writes the held knob's value to its port unless the port holds it already.
  void knobsReleased(const KnobAngles& knobs, int heldParameter) override;

 private:
  EditorPanel panel;
  LV2UI_Write_Function write;
  LV2UI_Controller controller;
  std::string title;
  bool shownOnItsOwn = false;
  // What each control port holds as far as the editor knows: the last value
  // the host sent or the editor wrote.
  float portValues[kParameterCount];
};
