// The editor's panel for any front: eight OpenGL knobs on a textured panel
// in a 300 by 200 window, the knobs' angles and the mouse editing. It claims
// one of the process's eight editor entries for as long as it lives and
// reports each release of the mouse button to its owner, a KnobListener; it
// knows neither plug-in interface. The VST 2 editor (GlEditor) and the LV2
// UI are thin fronts over it.
//
// setKnobs and turnKnob may be called from any thread (they only turn the
// knobs, atomically, and mark them for drawing); everything else belongs to
// the host's interface thread, which also receives the window's messages.
#pragma once

#include "editor/knob_angles.h"
#include "editor/knob_listener.h"
#include "platform/window_system.h"

class EditorPanel {
 public:
  /// Claims an editor entry for the owner; throws the integer -1 when all
  /// eight are taken.
  explicit EditorPanel(KnobListener* owner);
  /// Closes the panel if it is open, and frees the entry for a later owner.
  ~EditorPanel();
  EditorPanel(const EditorPanel&) = delete;
  EditorPanel& operator=(const EditorPanel&) = delete;

  /// Creates the panel's window inside the host's window `parent`; null when
  /// it cannot be made. Opening again makes a new window.
  platform::WindowHandle open(void* parent);
  /// Creates the panel's window as a titled window of its own on the desktop.
  platform::WindowHandle openTopLevel(const char* title);
  /// Forgets the window; the host destroys it with its parent.
  void close();
  /// Destroys the window at once, then closes: for hosts that leave that to
  /// the editor.
  void destroyWindow();
  /// Asks for the repaint that knob turns from other threads left waiting,
  /// and delivers the window system's pending messages (on Linux the host's
  /// idle calls are the only time the panel reads its X events).
  void idle();

  /// Turns the knobs to a program's values (knob order).
  void setKnobs(const KnobValues& values) { knobs.turnTo(values); }
  /// Turns one knob, by parameter number, to a value.
  void turnKnob(int parameter, double value) { knobs.turnKnob(parameter, value); }
  /// A knob's rotation in degrees, by parameter number (see KnobAngles).
  double knobAngle(int parameter) const { return knobs.angle(parameter); }
  /// The panel's window; null while closed.
  platform::WindowHandle windowHandle() const { return window; }
  /// Whether the panel's window is still there: the window manager's close
  /// button can take a top-level one away.
  bool windowExists() const { return window && platform::isWindow(window); }

 private:
  void beginOpen();
  platform::WindowHandle finishOpen(platform::WindowHandle created);

  platform::WindowHandle window = nullptr;
  bool isOpen = false;
  KnobAngles knobs;
};
