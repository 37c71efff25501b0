#include "editor/gl_editor.h"

#include "editor/editor_tables.h"
#include "editor/editor_window.h"
#include "editor/panel_pixels.h"
#include "editor/scene_geometry.h"
#include "host/module_instance.h"
#include "instrument/synth_plugin.h"

namespace {

ERect editorRect = {0, 0, kEditorHeight, kEditorWidth};

// A value of 0.5 stands straight up; 0 and 1 turn the knob 120 degrees either way.
constexpr double kDegreesPerValue = -240.0;

WindowEntry* entryOf(const GlEditor* editor) {
  for (WindowEntry& entry : windowTable) {
    if (entry.plugin && entry.plugin->glEditor == editor) return &entry;
  }
  return nullptr;
}

}  // namespace

// A freed entry may still name the window its last owner left behind; the new
// owner starts without it, so that window cannot show or edit this instrument.
GlEditor::GlEditor(SynthPlugin* plugin) : EditorBase(plugin) {
  for (WindowEntry& entry : windowTable) {
    if (!entry.plugin) {
      entry = WindowEntry{nullptr, plugin};
      return;
    }
  }
  throw -1;
}

GlEditor::~GlEditor() {
  if (isOpen) close();
  if (WindowEntry* entry = entryOf(this)) entry->plugin = nullptr;
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
  if (WindowEntry* entry = entryOf(this)) entry->window = window;
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
  platform::dispatchPendingMessages();
  EditorBase::idle();
}

void GlEditor::setKnobs(const KnobValues& values) {
  for (int knob = 0; knob < kKnobCount; ++knob) {
    knobAngles[kKnobLayout[knob].parameter] = (values[knob] - 0.5) * kDegreesPerValue;
  }
  if (window) platform::invalidateWindow(window);
}
