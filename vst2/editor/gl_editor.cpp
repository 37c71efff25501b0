#include "vst2/editor/gl_editor.h"

#include "editor/scene_geometry.h"

namespace {

ERect editorRect = {0, 0, kEditorHeight, kEditorWidth};

}  // namespace

GlEditor::GlEditor(EffectBase* effect, SoundSettings* sound) : EditorBase(effect), panel(sound) {}

int32_t GlEditor::getRect(ERect** rect) {
  *rect = &editorRect;
  return 1;
}

int32_t GlEditor::open(void* parent) {
  systemWindow = parent;
  panel.open(parent);
  return 1;
}

void GlEditor::close() { panel.close(); }

void GlEditor::idle() {
  panel.idle();
  EditorBase::idle();
}
