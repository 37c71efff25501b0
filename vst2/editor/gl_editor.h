// The instrument's VST 2 editor: the editor panel in a 300 by 200 child
// window of the host's window, reached through the host's edit opcodes.
#pragma once

#include <cstdint>

#include "editor/editor_panel.h"
#include "platform/window_system.h"
#include "vst2/editor/sound_settings.h"
#include "vst2/interface/editor_base.h"

class GlEditor : public EditorBase {
 public:
  /// Claims one of the module's eight editor entries for the plug-in whose
  /// sound the knobs set; throws the integer -1 when all are taken.
  GlEditor(EffectBase* effect, SoundSettings* sound);
  GlEditor(const GlEditor&) = delete;
  GlEditor& operator=(const GlEditor&) = delete;

  /// The fixed 300 by 200 rectangle, open or not.
  int32_t getRect(ERect** rect) override;
  /// Creates the editor window inside the host's window; always answers 1.
  int32_t open(void* parent) override;
  /// Forgets the window; the host destroys it with its parent.
  void close() override;
  /// Called regularly by the host's interface thread while the editor is
  /// open. Linux hosts rely on it to let the editor read its X events; on
  /// Windows the host's message loop has delivered them already. On both it
  /// asks for the repaint that a program change left waiting.
  void idle() override;
  /// Turns the knobs to a program's values (knob order). Hosts change
  /// programs on any thread, so this touches nothing of the window system:
  /// the interface thread asks for the repaint at its next idle.
  void setKnobs(const KnobValues& values) { panel.setKnobs(values); }

  /// A knob's rotation in degrees, by parameter number (see KnobAngles).
  double knobAngle(int parameter) const { return panel.knobAngle(parameter); }
  /// The editor's own child window; null while closed. Interface thread only.
  platform::WindowHandle windowHandle() const { return panel.windowHandle(); }

 private:
  // Its knobs are turned when the plug-in applies its first program, before
  // any window exists; its destructor closes an editor the host left open.
  EditorPanel panel;
};
