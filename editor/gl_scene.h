// Each editor window's OpenGL context: its pixel format, the fixed state set
// once in a new context (depth test, culling, one light, the panel texture)
// and the projection set whenever the window changes size.
#pragma once

#include "platform/window_system.h"

/// RGBA, 24 colour bits, 32 depth bits, double-buffered, nothing else.
extern const platform::PixelFormatDescriptor editorPixelFormat;

/// 1 on success; each failure is shown to the user and answered 0.
int setupPixelFormat(platform::DeviceContext dc);
/// Sets up a freshly created context that is current.
void initScene();
/// Deletes panelTexture in the current context.
void deleteSceneTexture();
/// Viewport for the client size; the projection is the same for every size.
void setViewport(int width, int height);

/// A new window: claims a context entry, gives the window a context and sets it up.
void createSceneContext(platform::WindowHandle window, platform::DeviceContext dc);
/// A window going away: its texture and context go with it.
void destroySceneContext(platform::WindowHandle window, platform::DeviceContext dc);
