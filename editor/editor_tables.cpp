#include "editor/editor_tables.h"

WindowEntry windowTable[kEditorSlots] = {};
ContextEntry contextTable[kEditorSlots] = {};
int32_t openCount = 0;
uint32_t panelTexture = 0;

const WindowEntry* ownerOfWindow(platform::WindowHandle window) {
  if (!window) return nullptr;
  for (const WindowEntry& entry : windowTable) {
    if (entry.window == window) return entry.plugin ? &entry : nullptr;
  }
  return nullptr;
}

ContextEntry* contextOfWindow(platform::WindowHandle window) {
  if (!window) return nullptr;
  for (ContextEntry& entry : contextTable) {
    if (entry.window == window) return &entry;
  }
  return nullptr;
}

void forgetWindowHandle(platform::WindowHandle window) {
  for (WindowEntry& entry : windowTable) {
    if (entry.window == window) entry.window = nullptr;
  }
  for (ContextEntry& entry : contextTable) {
    if (entry.window == window) entry.window = nullptr;
  }
}
