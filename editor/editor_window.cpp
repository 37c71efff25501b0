#include "editor/editor_window.h"

#include "editor/editor_tables.h"
#include "editor/gl_scene.h"
#include "editor/mouse_editing.h"
#include "editor/scene_renderer.h"
#include "platform/module_instance.h"

const char* const kEditorClassName = "quorlinClass";

// Failures are ignored: a class that is still registered serves as it is.
void registerEditorClass() {
  platform::registerClass(platform::WindowClass{kEditorClassName, editorWindowProc, moduleInstance, &editorPixelFormat});
}

void unregisterEditorClass() { platform::unregisterClass(kEditorClassName, moduleInstance); }

// Every message first finds the window's instrument and GL context and makes
// that context current; a window whose plug-in is gone still creates, sizes
// and destroys its context, but neither paints nor edits. Every message then
// goes on to the default procedure, which is what marks a paint done.
intptr_t WINDOW_PROC_CALL editorWindowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam) {
  const WindowEntry* owner = ownerOfWindow(window);
  const ContextEntry* context = contextOfWindow(window);
  platform::DeviceContext dc = platform::getDeviceContext(window);
  // With no context of its own, none stays current: GL calls for this window
  // must not land in another window's context.
  platform::makeGlContextCurrent(dc, context ? context->context : nullptr);

  switch (message) {
    case platform::messageCreate:
      createSceneContext(window, dc);
      break;
    case platform::messageDestroy:
      destroySceneContext(window, dc);
      break;
    case platform::messageSize: {
      const platform::ClientSize size = platform::clientSize(window);
      setViewport(size.width, size.height);
      break;
    }
    case platform::messagePaint:
      if (owner) {
        renderScene(*owner->knobs);
        platform::swapBuffers(dc);
      }
      break;
    case platform::messageLeftButtonDown:
      if (owner) pressLeftButton(*owner->knobs, window, platform::mouseX(lParam), platform::mouseY(lParam));
      break;
    case platform::messageMouseMove:
      if (owner) moveMouse(*owner->knobs, window, platform::mouseX(lParam));
      break;
    case platform::messageLeftButtonUp:
      if (owner) releaseLeftButton(*owner->plugin, *owner->knobs, window);
      break;
    default:
      break;
  }
  platform::releaseDeviceContext(window, dc);
  return platform::defaultWindowProc(window, message, wParam, lParam);
}
