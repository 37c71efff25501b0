#include "editor/editor_panel.h"

#include "editor/editor_tables.h"
#include "editor/editor_window.h"
#include "editor/panel_pixels.h"
#include "editor/scene_geometry.h"
#include "platform/module_instance.h"

namespace {

WindowEntry* entryOf(const KnobAngles* knobs) {
  for (WindowEntry& entry : windowTable) {
    if (entry.plugin && entry.knobs == knobs) return &entry;
  }
  return nullptr;
}

}  // namespace

// A freed entry may still name the window its last owner left behind; the new
// owner starts without it, so that window cannot show or edit this owner's knobs.
EditorPanel::EditorPanel(KnobListener* owner) {
  for (WindowEntry& entry : windowTable) {
    if (!entry.plugin) {
      entry = WindowEntry{nullptr, owner, &knobs};
      return;
    }
  }
  throw -1;
}

EditorPanel::~EditorPanel() {
  if (isOpen) close();
  if (WindowEntry* entry = entryOf(&knobs)) entry->plugin = nullptr;
}

// The window's creation already delivers its create and size messages, which
// give it its GL context and projection.
platform::WindowHandle EditorPanel::open(void* parent) {
  beginOpen();
  return finishOpen(
      platform::createChildWindow(kEditorClassName, parent, kEditorWidth, kEditorHeight, moduleInstance));
}

platform::WindowHandle EditorPanel::openTopLevel(const char* title) {
  beginOpen();
  return finishOpen(
      platform::createTopLevelWindow(kEditorClassName, title, kEditorWidth, kEditorHeight, moduleInstance));
}

void EditorPanel::beginOpen() {
  if (isOpen) return;
  if (openCount == 0) {
    registerEditorClass();
    loadPanelPixels();
  }
  ++openCount;
  isOpen = true;
}

platform::WindowHandle EditorPanel::finishOpen(platform::WindowHandle created) {
  window = created;
  if (WindowEntry* entry = entryOf(&knobs)) entry->window = window;
  return window;
}

// The window stays until the host destroys its parent; its destroy message
// then releases its GL context. The texture already uploaded into a context
// outlives the pixels freed here.
void EditorPanel::close() {
  window = nullptr;
  if (!isOpen) return;
  isOpen = false;
  if (--openCount == 0) {
    freePanelPixels();
    unregisterEditorClass();
  }
}

void EditorPanel::destroyWindow() {
  if (windowExists()) platform::destroyWindow(window);
  close();
}

void EditorPanel::idle() {
  if (window && knobs.takeTurn()) platform::invalidateWindow(window);
  platform::dispatchPendingMessages();
}
