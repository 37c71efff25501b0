#include "editor/gl_editor.h"

#include "editor/editor_tables.h"
#include "editor/editor_window.h"
#include "editor/panel_pixels.h"
#include "editor/scene_geometry.h"
#include "host/module_instance.h"

namespace {

ERect editorRect = {0, 0, kEditorHeight, kEditorWidth};

WindowEntry* entryOf(const KnobAngles* knobs) {
  for (WindowEntry& entry : windowTable) {
    if (entry.plugin && entry.knobs == knobs) return &entry;
  }
  return nullptr;
}

}  // namespace

// A freed entry may still name the window its last owner left behind; the new
// owner starts without it, so that window cannot show or edit this instrument.
GlEditor::GlEditor(EffectBase* effect, SoundSettings* sound) : EditorBase(effect) {
  for (WindowEntry& entry : windowTable) {
    if (!entry.plugin) {
      entry = WindowEntry{nullptr, sound, &knobs};
      return;
    }
  }
  throw -1;
}

GlEditor::~GlEditor() {
  if (isOpen) close();
  if (WindowEntry* entry = entryOf(&knobs)) entry->plugin = nullptr;
}

int32_t GlEditor::getRect(ERect** rect) {
  *rect = &editorRect;
  return 1;
}

// The window's creation already delivers its create and size messages, which
// give it its GL context and projection.
int32_t GlEditor::open(void* parent) {
  systemWindow = parent;
  if (!isOpen) {
    if (openCount == 0) {
      registerEditorClass();
      loadPanelPixels();
    }
    ++openCount;
    isOpen = true;
  }
  window = platform::createChildWindow(kEditorClassName, parent, kEditorWidth, kEditorHeight, moduleInstance);
  if (WindowEntry* entry = entryOf(&knobs)) entry->window = window;
  return 1;
}

// The window stays until the host destroys its parent; its destroy message
// then releases its GL context. The texture already uploaded into a context
// outlives the pixels freed here.
void GlEditor::close() {
  window = nullptr;
  if (!isOpen) return;
  isOpen = false;
  if (--openCount == 0) {
    freePanelPixels();
    unregisterEditorClass();
  }
}

void GlEditor::idle() {
  if (window && knobs.takeTurn()) platform::invalidateWindow(window);
  platform::dispatchPendingMessages();
  EditorBase::idle();
}

void GlEditor::setKnobs(const KnobValues& values) { knobs.turnTo(values); }
