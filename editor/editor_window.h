// The editor window class and its one window procedure, which serves every
// editor window of every instance in the process.
#pragma once

#include "platform/window_system.h"

extern const char* const kEditorClassName;

/// Registers "quorlinClass" for this module.
void registerEditorClass();
void unregisterEditorClass();

intptr_t WINDOW_PROC_CALL editorWindowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam);
