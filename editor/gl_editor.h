// The instrument's OpenGL editor: eight knobs on a textured panel, in a
// 300 by 200 child window of the host's window.
#pragma once

#include <array>
#include <cstdint>

#include "host/editor_base.h"
#include "platform/window_system.h"

class SynthPlugin;

// Knob order: waveform, cutoff, damping, attackTime, peakLevel, decayTime,
// sustainLevel, releaseTime.
using KnobValues = std::array<double, 8>;

class GlEditor : public EditorBase {
 public:
  /// Claims one of the module's eight editor entries; throws the integer -1 when all are taken.
  explicit GlEditor(SynthPlugin* plugin);
  /// Closes the editor if the host did not, and frees the entry for a later instance.
  ~GlEditor() override;
  GlEditor(const GlEditor&) = delete;
  GlEditor& operator=(const GlEditor&) = delete;

  /// The fixed 300 by 200 rectangle, open or not.
  int32_t getRect(ERect** rect) override;
  /// Creates the editor window inside the host's window; always answers 1.
  int32_t open(void* parent) override;
  /// Forgets the window; the host destroys it with its parent.
  void close() override;
  /// Called regularly by the host's interface thread. Linux hosts rely on it
  /// to let the editor read its X events; on Windows the host's message loop
  /// has delivered them already.
  void idle() override;
  /// Turns the knobs to a program's values (knob order) and asks for a repaint.
  void setKnobs(const KnobValues& values);

  /// A knob's rotation in degrees, by parameter number: 0 points straight up,
  /// positive turns counter-clockwise as the user sees it.
  double knobAngle(int parameter) const { return knobAngles[parameter]; }
  void setKnobAngle(int parameter, double angle) { knobAngles[parameter] = angle; }
  /// The editor's own child window; null while closed.
  platform::WindowHandle windowHandle() const { return window; }

 private:
  platform::WindowHandle window = nullptr;
  bool isOpen = false;
  // Indexed by parameter number, not knob position; filled by setKnobs when
  // the plug-in applies its first program, before any window exists.
  double knobAngles[8] = {};
};
