// The editor state the module shares among all its instances. One window
// procedure serves every editor window in the process and finds each
// window's owner and GL context through these two tables of eight
// entries, so at most eight editors exist at one time. Everything here is
// touched only from the host's interface thread.
#pragma once

#include <cstdint>

#include "platform/window_system.h"

class KnobAngles;
class KnobListener;

constexpr int kEditorSlots = 8;

struct WindowEntry {
  platform::WindowHandle window;  // set by open
  KnobListener* plugin;           // the owner (the instrument, or an LV2 UI); null while free
  KnobAngles* knobs;              // the knobs of the owner's panel
};

struct ContextEntry {
  platform::WindowHandle window;
  platform::GlContext context;  // null while the entry is free
};

extern WindowEntry windowTable[kEditorSlots];
extern ContextEntry contextTable[kEditorSlots];
/// Editors currently open; the window class and the panel pixels exist while it is above 0.
extern int32_t openCount;
/// The GL texture name generated last (each context numbers its own textures).
extern uint32_t panelTexture;

/// The entry of the editor that owns the window, or null (none, or its plug-in is gone).
const WindowEntry* ownerOfWindow(platform::WindowHandle window);
/// The window's context entry, or null when it has none.
ContextEntry* contextOfWindow(platform::WindowHandle window);
/// A destroyed window's handle may be given to a new window: forget it everywhere.
void forgetWindowHandle(platform::WindowHandle window);
