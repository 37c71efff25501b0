// The instrument's OpenGL editor: eight knobs on a textured panel.
#pragma once

#include <array>
#include <cstdint>

#include "host/editor_base.h"

class SynthPlugin;

// Knob order: waveform, cutoff, damping, attackTime, peakLevel, decayTime,
// sustainLevel, releaseTime.
using KnobValues = std::array<double, 8>;

class GlEditor : public EditorBase {
 public:
  /// Claims one of the module's eight editor entries; throws the integer -1 when all are taken.
  explicit GlEditor(SynthPlugin* plugin);
  ~GlEditor() override;

  /// The fixed 300 by 200 rectangle, open or not.
  int32_t getRect(ERect** rect) override;
  /// Creates the editor window inside the host's window.
  int32_t open(void* parent) override;
  /// Forgets the window; the host destroys it with its parent.
  void close() override;
  /// Turns the knobs to a program's values (knob order) and asks for a repaint.
  void setKnobs(const KnobValues& values);

 private:
  SynthPlugin* plugin;
  void* window = nullptr;
  double knobAngles[8] = {};
};
