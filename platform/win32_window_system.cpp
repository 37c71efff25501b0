// The window system on Windows: each call is the user32, gdi32 or opengl32
// call of the same name. The host's own message loop delivers the messages.
#include <windows.h>

#include "platform/window_system.h"

namespace platform {
namespace {

static_assert(sizeof(PixelFormatDescriptor) == sizeof(PIXELFORMATDESCRIPTOR), "descriptor layout");

HWND hwnd(WindowHandle window) { return static_cast<HWND>(window); }
HDC hdc(DeviceContext dc) { return static_cast<HDC>(dc); }
HINSTANCE hinstance(ModuleHandle module) { return static_cast<HINSTANCE>(module); }
const PIXELFORMATDESCRIPTOR* descriptorOf(const PixelFormatDescriptor* descriptor) {
  return reinterpret_cast<const PIXELFORMATDESCRIPTOR*>(descriptor);
}

}  // namespace

bool registerClass(const WindowClass& windowClass) {
  WNDCLASSA registered{};
  // A private device context: the OpenGL context stays made current on the
  // same device context from one message to the next.
  registered.style = CS_OWNDC;
  // WindowProc has WNDPROC's signature and calling convention, with
  // pointer-sized integers in place of the Win32 typedefs.
  registered.lpfnWndProc = reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(windowClass.procedure));
  registered.hInstance = hinstance(windowClass.module);
  registered.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  registered.lpszClassName = windowClass.name;
  return RegisterClassA(&registered) != 0;
}

bool unregisterClass(const char* name, ModuleHandle module) { return UnregisterClassA(name, hinstance(module)) != 0; }

bool isClassRegistered(const char* name, ModuleHandle module) {
  WNDCLASSA found;
  return GetClassInfoA(hinstance(module), name, &found) != 0;
}

WindowHandle createChildWindow(const char* className, WindowHandle parent, int width, int height,
                               ModuleHandle module) {
  // CW_USEDEFAULT places a child window at its parent's top left.
  return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                         hwnd(parent), nullptr, hinstance(module), nullptr);
}

WindowHandle createTopLevelWindow(const char* className, const char* title, int width, int height,
                                  ModuleHandle module) {
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
  RECT frame{0, 0, width, height};  // the client area is width by height
  AdjustWindowRect(&frame, style, FALSE);
  return CreateWindowExA(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                         frame.bottom - frame.top, nullptr, nullptr, hinstance(module), nullptr);
}

void destroyWindow(WindowHandle window) { DestroyWindow(hwnd(window)); }

bool isWindow(WindowHandle window) { return IsWindow(hwnd(window)) != FALSE; }

intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DefWindowProcA(hwnd(window), message, wParam, lParam);
}

void invalidateWindow(WindowHandle window) { InvalidateRect(hwnd(window), nullptr, FALSE); }

ClientSize clientSize(WindowHandle window) {
  RECT client{};
  GetClientRect(hwnd(window), &client);
  return ClientSize{client.right, client.bottom};
}

void dispatchPendingMessages() {}

void setCapture(WindowHandle window) { SetCapture(hwnd(window)); }

void releaseCapture() { ReleaseCapture(); }

void setCursor(WindowHandle, MouseCursor shape) {
  SetCursor(LoadCursorA(nullptr, shape == MouseCursor::cross ? IDC_CROSS : IDC_ARROW));
}

DeviceContext getDeviceContext(WindowHandle window) { return GetDC(hwnd(window)); }

void releaseDeviceContext(WindowHandle window, DeviceContext dc) { ReleaseDC(hwnd(window), hdc(dc)); }

int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor* descriptor) {
  return ChoosePixelFormat(hdc(dc), descriptorOf(descriptor));
}

bool setPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor* descriptor) {
  return SetPixelFormat(hdc(dc), format, descriptorOf(descriptor)) != FALSE;
}

GlContext createGlContext(DeviceContext dc) { return wglCreateContext(hdc(dc)); }

bool makeGlContextCurrent(DeviceContext dc, GlContext context) {
  return wglMakeCurrent(hdc(dc), static_cast<HGLRC>(context)) != FALSE;
}

bool deleteGlContext(GlContext context) { return wglDeleteContext(static_cast<HGLRC>(context)) != FALSE; }

bool swapBuffers(DeviceContext dc) { return SwapBuffers(hdc(dc)) != FALSE; }

KeptGlContext::KeptGlContext()
    : display(wglGetCurrentDC()), drawSurface(0), readSurface(0), context(wglGetCurrentContext()) {}

KeptGlContext::~KeptGlContext() {
  if (wglGetCurrentContext() != context || wglGetCurrentDC() != display) {
    wglMakeCurrent(hdc(display), static_cast<HGLRC>(context));
  }
}

void showErrorMessage(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

}  // namespace platform
