// Placeholder until the OpenGL editor lands: claims the module-wide entry and
// keeps the knob angles, draws nothing.
#include "editor/gl_editor.h"

namespace {
SynthPlugin* windowTable[8] = {};
ERect editorRect = {0, 0, 200, 300};
}  // namespace

GlEditor::GlEditor(SynthPlugin* plugin) : EditorBase(nullptr), plugin(plugin) {
  for (SynthPlugin*& entry : windowTable) {
    if (entry == nullptr) {
      entry = plugin;
      return;
    }
  }
  throw -1;
}

GlEditor::~GlEditor() {
  for (SynthPlugin*& entry : windowTable) {
    if (entry == plugin) {
      entry = nullptr;
      return;
    }
  }
}

int32_t GlEditor::getRect(ERect** rect) {
  *rect = &editorRect;
  return 1;
}

int32_t GlEditor::open(void* parent) {
  systemWindow = parent;
  return 1;
}

void GlEditor::close() { window = nullptr; }

void GlEditor::setKnobs(const KnobValues& values) {
  static const int parameterOfKnob[8] = {0, 6, 7, 1, 2, 3, 4, 5};
  for (int knob = 0; knob < 8; ++knob) knobAngles[parameterOfKnob[knob]] = (values[knob] - 0.5) * -240.0;
}
