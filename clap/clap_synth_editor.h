// The instrument's editor as a CLAP plug-in's GUI: the editor panel embedded
// in the host's window, living from the host's gui create to its destroy.
// Everything here runs on the host's main thread: the gui calls, the timer
// that follows the values (and on Linux reads the panel's X events), and the
// knob releases the panel reports.
//
// The knobs follow the parameter values wherever they come from (the host's
// automation, a state or a factory sound loaded), and such a turn sends
// nothing back. A release of a knob the mouse turned proposes that knob's
// value; the audio thread applies it and sends the host the gesture, at the
// flush this asks for (or the next block).
#pragma once

#include "clap/host_services.h"
#include "clap/parameter_values.h"
#include "editor/editor_panel.h"
#include "editor/knob_listener.h"

class ClapSynthEditor final : public KnobListener {
 public:
  /// Knobs at the current values and the host's timer running; throws the
  /// integer -1 when the process holds eight editors already, or when the
  /// host has no timer to lend.
  ClapSynthEditor(ParameterValues& values, const HostServices& host);
  /// Destroys the panel's window and stops the timer.
  ~ClapSynthEditor();
  ClapSynthEditor(const ClapSynthEditor&) = delete;
  ClapSynthEditor& operator=(const ClapSynthEditor&) = delete;

  /// The panel inside the host's window; false when the window cannot be made.
  bool embedIn(void* parent);
  /// Whether the host's timer call is this editor's.
  bool ownsTimer(clap_id id) const { return id == timer; }
  /// Turns the knobs that the values left behind, then lets the panel paint
  /// and read its window's events.
  void onTimer();

  /// Proposes the held knob's value unless the knob shows the value already.
  void knobsReleased(const KnobAngles& knobs, int heldParameter) override;

 private:
  ParameterValues& values;
  const HostServices& host;
  EditorPanel panel;
  // The value each knob was last turned to or released at.
  float shown[kParameterCount];
  clap_id timer = CLAP_INVALID_ID;
};
