// The window system on Linux: X11 windows and GLX contexts on a connection of
// the layer's own, opened with the first registered class.
//
// A Linux host hands its editor parent as an X window id and calls the
// editor's idle regularly from its interface thread; the layer creates its
// windows directly inside that parent (or, for a host that cannot embed
// them, on the desktop, framed by the window manager) and turns the events it
// reads during dispatchPendingMessages into Win32-numbered messages for the
// class's window procedure. Everything runs on the host's interface thread, and nothing here
// is guarded: a program change on another thread reaches the editor's knobs
// alone, and the interface thread asks for the repaint.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace platform {
namespace {

struct RegisteredClass {
  std::string name;
  WindowProc procedure;
  bool hasPixelFormat;
  PixelFormatDescriptor pixelFormat;
};

// A window id in a list of the layer's own, kept inside this file.
struct WindowId {
  Window id;
};

struct ChildWindow {
  Window id;
  std::string className;
  WindowProc procedure;
  XVisualInfo* visual;  // null when no GLX visual matched the class's pixel format
  Colormap colormap;
  int width;
  int height;
  bool needsPaint;
  bool pixelFormatSet;
  bool gone;  // destroyed with its parent; only its destroy message is still due
  MouseCursor cursor;
};

Display* display = nullptr;
std::vector<RegisteredClass> classes;
std::vector<ChildWindow> windows;
Cursor arrowCursor = None;
Cursor crossCursor = None;

constexpr long kEventMask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned long kXembedMapped = 1;  // _XEMBED_INFO flag: the embedder should map the window
constexpr uintptr_t kLeftButtonHeld = 0x0001;  // MK_LBUTTON in a mouse message's wParam

WindowHandle handleOf(Window id) { return reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(id)); }
Window idOf(WindowHandle handle) { return static_cast<Window>(reinterpret_cast<uintptr_t>(handle)); }

RegisteredClass* findClass(const char* name) {
  for (RegisteredClass& windowClass : classes) {
    if (windowClass.name == name) return &windowClass;
  }
  return nullptr;
}

ChildWindow* findWindow(Window id) {
  for (ChildWindow& window : windows) {
    if (window.id == id) return &window;
  }
  return nullptr;
}

// X errors arrive asynchronously and Xlib's default handler ends the process.
// A host may destroy its parent window (and with it ours) at any moment, so
// every call that talks to the server runs inside a trap that swallows the
// errors of the layer's own connection and passes any other on.
int (*previousErrorHandler)(Display*, XErrorEvent*) = nullptr;
int trapDepth = 0;
bool errorSeen = false;

int trapError(Display* errorDisplay, XErrorEvent* error) {
  if (errorDisplay == display) {
    errorSeen = true;
    return 0;
  }
  return previousErrorHandler ? previousErrorHandler(errorDisplay, error) : 0;
}

class ErrorTrap {
 public:
  ErrorTrap() {
    if (trapDepth++ == 0) {
      errorSeen = false;
      previousErrorHandler = XSetErrorHandler(trapError);
    }
  }
  // The outermost trap waits for the server's answers before it lets go.
  ~ErrorTrap() {
    if (--trapDepth > 0) return;
    if (display) XSync(display, False);
    XSetErrorHandler(previousErrorHandler);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  /// Whether any request so far drew an error; waits for the server's answers first.
  bool failed() {
    XSync(display, False);
    return errorSeen;
  }
};

// GLX's choice of visual, following the descriptor: RGBA with the colour bits
// split evenly, double-buffered if asked, and the depth buffer asked for; a
// server without that depth gets the deepest one it has, as ChoosePixelFormat
// settles for the closest format.
XVisualInfo* chooseVisual(const PixelFormatDescriptor& format) {
  const int channelBits = format.cColorBits / 3;
  const int screen = DefaultScreen(display);
  for (int depthBits : {static_cast<int>(format.cDepthBits), 1}) {
    int attributes[16] = {GLX_RED_SIZE,  channelBits, GLX_GREEN_SIZE, channelBits,
                          GLX_BLUE_SIZE, channelBits, GLX_DEPTH_SIZE, depthBits};
    int count = 8;
    if (format.iPixelType == pfdTypeRgba) attributes[count++] = GLX_RGBA;
    if (format.dwFlags & pfdDoubleBuffer) attributes[count++] = GLX_DOUBLEBUFFER;
    attributes[count] = None;
    if (XVisualInfo* visual = glXChooseVisual(display, screen, attributes)) return visual;
  }
  return nullptr;
}

bool visualMatches(XVisualInfo* visual, const PixelFormatDescriptor& format) {
  int usesGl = 0, rgba = 0, doubleBuffered = 0;
  glXGetConfig(display, visual, GLX_USE_GL, &usesGl);
  glXGetConfig(display, visual, GLX_RGBA, &rgba);
  glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffered);
  const bool wantsDoubleBuffer = (format.dwFlags & pfdDoubleBuffer) != 0;
  return usesGl && (rgba != 0) == (format.iPixelType == pfdTypeRgba) && (doubleBuffered != 0) == wantsDoubleBuffer;
}

intptr_t send(Window id, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  ChildWindow* window = findWindow(id);
  if (!window) return 0;
  return window->procedure(handleOf(id), message, wParam, lParam);
}

void forgetWindow(Window id) {
  for (auto it = windows.begin(); it != windows.end(); ++it) {
    if (it->id != id) continue;
    if (it->visual) XFree(it->visual);
    if (it->colormap != None) XFreeColormap(display, it->colormap);
    windows.erase(it);
    return;
  }
}

// The window's procedure sees its destroy message while the window still
// exists (unless its parent took it already), as on Windows.
void destroyChild(Window id) {
  send(id, messageDestroy, 0, 0);
  ChildWindow* window = findWindow(id);
  if (!window) return;
  if (!window->gone) XDestroyWindow(display, id);
  forgetWindow(id);
}

Cursor cursorFor(MouseCursor shape) {
  Cursor& cursor = shape == MouseCursor::cross ? crossCursor : arrowCursor;
  if (cursor == None) cursor = XCreateFontCursor(display, shape == MouseCursor::cross ? XC_crosshair : XC_left_ptr);
  return cursor;
}

void closeConnection() {
  if (arrowCursor != None) XFreeCursor(display, arrowCursor);
  if (crossCursor != None) XFreeCursor(display, crossCursor);
  arrowCursor = crossCursor = None;
  XCloseDisplay(display);
  display = nullptr;
}

// The connection stays open from the first editor to the module's unload:
// each new connection makes GLX set its driver up again, and Mesa keeps part
// of every set-up for good, so reconnecting per editor would leak on every
// open and close.
struct ConnectionCloser {
  ~ConnectionCloser() {
    if (display) closeConnection();
  }
} connectionCloser;

void deliver(const XEvent& event) {
  const Window id = event.xany.window;
  ChildWindow* window = findWindow(id);
  if (!window) return;
  if (window->gone && event.type != DestroyNotify) return;
  switch (event.type) {
    case Expose:
      window->needsPaint = true;
      break;
    case ConfigureNotify:
      if (event.xconfigure.width != window->width || event.xconfigure.height != window->height) {
        window->width = event.xconfigure.width;
        window->height = event.xconfigure.height;
        send(id, messageSize, 0, packCoordinates(window->width, window->height));
      }
      break;
    case ButtonPress:
      if (event.xbutton.button == Button1) {
        send(id, messageLeftButtonDown, kLeftButtonHeld, packCoordinates(event.xbutton.x, event.xbutton.y));
      }
      break;
    case ButtonRelease:
      if (event.xbutton.button == Button1) {
        send(id, messageLeftButtonUp, 0, packCoordinates(event.xbutton.x, event.xbutton.y));
      }
      break;
    case MotionNotify:
      send(id, messageMouseMove, (event.xmotion.state & Button1Mask) ? kLeftButtonHeld : 0,
           packCoordinates(event.xmotion.x, event.xmotion.y));
      break;
    case ClientMessage:
      // The window manager's close button on a top-level window (an embedded
      // one gets XEmbed's messages, whose first word is a time).
      if (event.xclient.message_type == XInternAtom(display, "WM_PROTOCOLS", True) &&
          static_cast<Atom>(event.xclient.data.l[0]) == XInternAtom(display, "WM_DELETE_WINDOW", True)) {
        destroyChild(id);
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == id) {
        send(id, messageDestroy, 0, 0);
        forgetWindow(id);
      }
      break;
    default:
      break;
  }
}

// A window of the class inside `parent`: a child of the host's window, or,
// with a title, a top-level window on the desktop (the root window's child)
// that the window manager frames and may close. Its create and size messages
// arrive before this returns.
WindowHandle createWindow(const char* className, Window parent, int width, int height, const char* title) {
  RegisteredClass* windowClass = className ? findClass(className) : nullptr;
  if (!windowClass || width <= 0 || height <= 0) return nullptr;
  ErrorTrap trap;

  XVisualInfo* visual = windowClass->hasPixelFormat ? chooseVisual(windowClass->pixelFormat) : nullptr;
  XSetWindowAttributes attributes{};
  attributes.event_mask = kEventMask;
  attributes.border_pixel = 0;
  unsigned long valueMask = CWEventMask | CWBorderPixel;
  Colormap colormap = None;
  if (visual) {
    colormap = XCreateColormap(display, RootWindow(display, visual->screen), visual->visual, AllocNone);
    attributes.colormap = colormap;
    valueMask |= CWColormap;
  }
  Window id = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                            visual ? visual->depth : CopyFromParent, InputOutput,
                            visual ? visual->visual : CopyFromParent, valueMask, &attributes);
  if (trap.failed()) {  // a parent that is no window, most likely
    if (visual) XFree(visual);
    if (colormap != None) XFreeColormap(display, colormap);
    return nullptr;
  }

  if (title) {
    XStoreName(display, id, title);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, id, &deleteWindow, 1);
    XSizeHints* size = XAllocSizeHints();
    if (size) {
      size->flags = PMinSize | PMaxSize;
      size->min_width = size->max_width = width;
      size->min_height = size->max_height = height;
      XSetWMNormalHints(display, id, size);
      XFree(size);
    }
  } else {
    // For hosts that embed through XEmbed: protocol version 0, mapped.
    const unsigned long xembedInfo[2] = {0, kXembedMapped};
    Atom xembedAtom = XInternAtom(display, "_XEMBED_INFO", False);
    XChangeProperty(display, id, xembedAtom, xembedAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(xembedInfo), 2);
  }
  XMapWindow(display, id);

  windows.push_back(ChildWindow{id, windowClass->name, windowClass->procedure, visual, colormap, width, height,
                                false, false, false, MouseCursor::arrow});
  send(id, messageCreate, 0, 0);
  send(id, messageSize, 0, packCoordinates(width, height));
  return handleOf(id);
}

}  // namespace

bool registerClass(const WindowClass& windowClass) {
  if (!windowClass.name || !windowClass.procedure || findClass(windowClass.name)) return false;
  if (!display) {
    display = XOpenDisplay(nullptr);
    if (!display) return false;
  }
  RegisteredClass registered{windowClass.name, windowClass.procedure, windowClass.pixelFormat != nullptr, {}};
  if (windowClass.pixelFormat) registered.pixelFormat = *windowClass.pixelFormat;
  classes.push_back(registered);
  return true;
}

bool unregisterClass(const char* name, ModuleHandle) {
  if (!name || !findClass(name)) return false;
  {
    ErrorTrap trap;
    std::vector<WindowId> ofClass;
    for (const ChildWindow& window : windows) {
      if (window.className == name) ofClass.push_back({window.id});
    }
    for (WindowId window : ofClass) destroyChild(window.id);
  }
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->name == name) {
      classes.erase(it);
      break;
    }
  }
  return true;
}

bool isClassRegistered(const char* name, ModuleHandle) { return name && findClass(name); }

WindowHandle createChildWindow(const char* className, WindowHandle parent, int width, int height, ModuleHandle) {
  if (!parent) return nullptr;
  return createWindow(className, idOf(parent), width, height, nullptr);
}

WindowHandle createTopLevelWindow(const char* className, const char* title, int width, int height, ModuleHandle) {
  if (!display) return nullptr;
  return createWindow(className, DefaultRootWindow(display), width, height, title ? title : "");
}

void destroyWindow(WindowHandle window) {
  if (!display || !findWindow(idOf(window))) return;
  ErrorTrap trap;
  destroyChild(idOf(window));
}

bool isWindow(WindowHandle window) {
  const ChildWindow* child = findWindow(idOf(window));
  return child && !child->gone;
}

intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
  if (message == messagePaint) {
    if (ChildWindow* child = findWindow(idOf(window))) child->needsPaint = false;
  }
  return 0;
}

void invalidateWindow(WindowHandle window) {
  if (ChildWindow* child = findWindow(idOf(window))) child->needsPaint = true;
}

ClientSize clientSize(WindowHandle window) {
  ChildWindow* child = findWindow(idOf(window));
  return child ? ClientSize{child->width, child->height} : ClientSize{0, 0};
}

void dispatchPendingMessages() {
  if (!display) return;
  ErrorTrap trap;
  // Read everything first, so that a window destroyed with its parent is
  // known to be gone before any earlier event of it is delivered.
  std::vector<XEvent> events;
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == DestroyNotify) {
      if (ChildWindow* window = findWindow(event.xdestroywindow.window)) window->gone = true;
    }
    events.push_back(event);
  }
  for (const XEvent& event : events) deliver(event);

  std::vector<WindowId> toPaint;
  for (const ChildWindow& window : windows) {
    if (window.needsPaint && !window.gone) toPaint.push_back({window.id});
  }
  for (WindowId window : toPaint) send(window.id, messagePaint, 0, 0);
}

void setCapture(WindowHandle window) {
  ChildWindow* child = findWindow(idOf(window));
  if (!child || child->gone) return;
  ErrorTrap trap;
  XGrabPointer(display, child->id, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
               GrabModeAsync, None, None, CurrentTime);
}

void releaseCapture() {
  if (!display) return;
  ErrorTrap trap;
  XUngrabPointer(display, CurrentTime);
}

void setCursor(WindowHandle window, MouseCursor shape) {
  ChildWindow* child = findWindow(idOf(window));
  if (!child || child->gone || child->cursor == shape) return;
  ErrorTrap trap;
  XDefineCursor(display, child->id, cursorFor(shape));
  child->cursor = shape;
}

DeviceContext getDeviceContext(WindowHandle window) { return findWindow(idOf(window)) ? window : nullptr; }

void releaseDeviceContext(WindowHandle, DeviceContext) {}

int choosePixelFormat(DeviceContext dc, const PixelFormatDescriptor* descriptor) {
  ChildWindow* window = findWindow(idOf(dc));
  if (!window || !window->visual || !descriptor || !visualMatches(window->visual, *descriptor)) return 0;
  return static_cast<int>(window->visual->visualid);
}

bool setPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor*) {
  ChildWindow* window = findWindow(idOf(dc));
  if (!window || !window->visual || format != static_cast<int>(window->visual->visualid)) return false;
  window->pixelFormatSet = true;
  return true;
}

GlContext createGlContext(DeviceContext dc) {
  ChildWindow* window = findWindow(idOf(dc));
  if (!window || !window->pixelFormatSet || window->gone) return nullptr;
  ErrorTrap trap;
  return glXCreateContext(display, window->visual, nullptr, True);
}

// As wglMakeCurrent does on failure, nothing stays current when the window
// cannot take the context: no GL call meant for it may reach another window.
bool makeGlContextCurrent(DeviceContext dc, GlContext context) {
  if (!display) return false;
  ErrorTrap trap;
  ChildWindow* window = findWindow(idOf(dc));
  if (context && window && !window->gone &&
      glXMakeCurrent(display, window->id, static_cast<GLXContext>(context))) {
    return true;
  }
  glXMakeCurrent(display, None, nullptr);
  return context == nullptr;
}

bool deleteGlContext(GlContext context) {
  if (!display || !context) return false;
  ErrorTrap trap;
  glXDestroyContext(display, static_cast<GLXContext>(context));
  return true;
}

bool swapBuffers(DeviceContext dc) {
  ChildWindow* window = findWindow(idOf(dc));
  if (!window || window->gone) return false;
  ErrorTrap trap;
  glXSwapBuffers(display, window->id);
  return true;
}

// GLX keeps one current context per thread, whatever its display: the host's
// may be current on a connection of its own when the editor is called.
KeptGlContext::KeptGlContext()
    : display(glXGetCurrentDisplay()),
      drawSurface(glXGetCurrentDrawable()),
      readSurface(glXGetCurrentReadDrawable()),
      context(glXGetCurrentContext()) {}

KeptGlContext::~KeptGlContext() {
  const GLXContext saved = static_cast<GLXContext>(context);
  if (glXGetCurrentContext() == saved && glXGetCurrentDrawable() == drawSurface &&
      glXGetCurrentReadDrawable() == readSurface) {
    return;
  }
  if (saved) {
    glXMakeContextCurrent(static_cast<Display*>(display), drawSurface, readSurface, saved);
  } else if (Display* current = glXGetCurrentDisplay()) {
    glXMakeCurrent(current, None, nullptr);
  }
}

void showErrorMessage(const char* text, const char* caption) { std::fprintf(stderr, "%s: %s\n", caption, text); }

}  // namespace platform
