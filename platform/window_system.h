// The window system as the editor sees it: a small Win32-like vocabulary of
// child windows, messages, capture, cursors, device and OpenGL contexts.
//
// On Windows every call is the user32/gdi32/opengl32 call of the same name and
// the message numbers are Win32's, so messages pass through untouched. On
// Linux the same calls are made of X11 and GLX: a window handle is the X
// window id, a device context is the window's drawable, and the events of
// the layer's own X connection become the same messages when
// dispatchPendingMessages runs (Linux hosts call the editor's idle for that).
#pragma once

#include <cstdint>

#include "platform/pixel_format.h"

#if defined(_WIN32) && !defined(_WIN64)
#define WINDOW_PROC_CALL __stdcall
#else
#define WINDOW_PROC_CALL
#endif

namespace platform {

using ModuleHandle = void*;   // HINSTANCE; the module's base address on Linux
using WindowHandle = void*;   // HWND; the X window id on Linux
using DeviceContext = void*;  // HDC; the window's drawable on Linux
using GlContext = void*;      // HGLRC; GLXContext on Linux

/// A window procedure with the Win32 signature (HWND, UINT, WPARAM, LPARAM) -> LRESULT.
using WindowProc = intptr_t(WINDOW_PROC_CALL*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                               intptr_t lParam);

// The messages the layer delivers, numbered as on Win32.
enum Message : uint32_t {
  messageCreate = 0x0001,
  messageDestroy = 0x0002,
  messageSize = 0x0005,           // lParam: client width in the low word, height in the high word
  messagePaint = 0x000F,
  messageMouseMove = 0x0200,      // lParam: x in the low word, y in the high word, each signed 16-bit
  messageLeftButtonDown = 0x0201,
  messageLeftButtonUp = 0x0202,
};

/// Mouse coordinates travel as signed 16-bit words, so positions left of or
/// above a window that has captured the mouse come out negative.
inline int mouseX(intptr_t lParam) { return static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF)); }
inline int mouseY(intptr_t lParam) { return static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF)); }
inline intptr_t packCoordinates(int x, int y) {
  return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}

struct WindowClass {
  const char* name;
  WindowProc procedure;
  ModuleHandle module;
  /// The pixel format the class's windows will be given. An X window's visual
  /// is fixed when it is created, so the X11 layer chooses it from this; on
  /// Windows the format is set later on the device context, as usual.
  const PixelFormatDescriptor* pixelFormat;
};

struct ClientSize {
  int width;
  int height;
};

enum class MouseCursor { arrow, cross };

/// RegisterClassA with no icon, no cursor, the button-face background and a
/// private device context. False when it fails (already registered, say).
bool registerClass(const WindowClass& windowClass);
/// UnregisterClassA. On X11 the class's remaining windows are destroyed first
/// (each gets its destroy message), since nothing would pump their events after
/// the last editor has closed; the connection closes with the last class.
bool unregisterClass(const char* name, ModuleHandle module);
/// GetClassInfoA's answer to "is this class registered?".
bool isClassRegistered(const char* name, ModuleHandle module);

/// CreateWindowExA of a visible child at the parent's top left. The create
/// message and a size message arrive before it returns. Null on failure.
WindowHandle createChildWindow(const char* className, WindowHandle parent, int width, int height,
                               ModuleHandle module);
/// CreateWindowExA of a visible top-level window of fixed size, titled, for
/// a host that cannot embed the window. The create and size messages arrive
/// before it returns; the window manager's close button destroys it (its
/// destroy message arrives as any other). Null on failure.
WindowHandle createTopLevelWindow(const char* className, const char* title, int width, int height,
                                  ModuleHandle module);
/// DestroyWindow: the window's destroy message arrives before it returns.
void destroyWindow(WindowHandle window);
/// IsWindow: false once the window is destroyed.
bool isWindow(WindowHandle window);
/// DefWindowProcA: for a paint message this is what marks the window painted.
intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
/// InvalidateRect(window, null, FALSE): a paint message follows.
void invalidateWindow(WindowHandle window);
/// GetClientRect's right and bottom.
ClientSize clientSize(WindowHandle window);
/// Delivers the messages waiting for the layer's windows: nothing to do on
/// Windows, whose host's message loop dispatches them; on X11 it reads the
/// connection's events and then paints the windows that need it.
void dispatchPendingMessages();

/// SetCapture: mouse messages keep coming to this window while the button is held.
void setCapture(WindowHandle window);
void releaseCapture();
/// SetCursor(LoadCursorA(null, IDC_ARROW or IDC_CROSS)) over this window.
void setCursor(WindowHandle window, MouseCursor shape);

DeviceContext getDeviceContext(WindowHandle window);
void releaseDeviceContext(WindowHandle window, DeviceContext dc);
/// ChoosePixelFormat: a format number, 0 when none matches.
int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor* descriptor);
bool setPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor* descriptor);
/// wglCreateContext; null on failure.
GlContext createGlContext(DeviceContext dc);
/// wglMakeCurrent; a null context releases the current one.
bool makeGlContextCurrent(DeviceContext dc, GlContext context);
bool deleteGlContext(GlContext context);
bool swapBuffers(DeviceContext dc);

/// Remembers the rendering context current on this thread (and its drawing
/// surfaces) and makes it current again when it goes, or none current when
/// none was: for a host that draws with OpenGL itself and expects its
/// context to be as it left it after every call into the editor.
class KeptGlContext {
 public:
  KeptGlContext();
  ~KeptGlContext();
  KeptGlContext(const KeptGlContext&) = delete;
  KeptGlContext& operator=(const KeptGlContext&) = delete;

 private:
  void* display;  // the X display, or the device context on Windows
  uintptr_t drawSurface;
  uintptr_t readSurface;
  GlContext context;
};

/// MessageBoxA(null, text, caption, MB_OK) on Windows; one line on stderr on Linux.
void showErrorMessage(const char* text, const char* caption);

}  // namespace platform
