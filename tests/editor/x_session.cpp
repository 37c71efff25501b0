#include "x_session.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

// Mesa's OpenGL driver is loaded with the first X connection that uses it and
// unloaded with the last, losing a little memory of its own each time. A host
// that draws with OpenGL itself keeps it loaded; so do the tests, with a
// context on a connection of their own that lives as long as the program, so
// that the leak check sees the editor's own allocations only.
void keepOpenGlLoaded() {
  static const bool loaded = [] {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    int attributes[] = {GLX_RGBA, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual) return false;
    const bool created = glXCreateContext(display, visual, nullptr, True) != nullptr;
    XFree(visual);
    return created;
  }();
  (void)loaded;
}

}  // namespace

XSession::XSession() : connection(XOpenDisplay(nullptr)) {
  if (!connection) throw std::runtime_error("no X display: run the editor tests under xvfb-run");
  keepOpenGlLoaded();
  int event, error, major, minor;
  if (!XTestQueryExtension(connection, &event, &error, &major, &minor)) {
    throw std::runtime_error("the X server lacks the XTest extension");
  }
}

XSession::~XSession() { XCloseDisplay(connection); }

Window XSession::createHostWindow(int x, int y, int width, int height) {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;  // placed exactly where asked, window manager or not
  attributes.background_pixel = BlackPixel(connection, DefaultScreen(connection));
  attributes.event_mask = StructureNotifyMask;
  Window window = XCreateWindow(connection, DefaultRootWindow(connection), x, y, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  XMapRaised(connection, window);
  XEvent event;
  do {
    XWindowEvent(connection, window, StructureNotifyMask, &event);
  } while (event.type != MapNotify);
  XSync(connection, False);
  return window;
}

void XSession::destroyWindow(Window window) {
  XDestroyWindow(connection, window);
  XSync(connection, False);
}

std::vector<Window> XSession::children(Window window) {
  Window root, parent, *list = nullptr;
  unsigned count = 0;
  std::vector<Window> result;
  if (XQueryTree(connection, window, &root, &parent, &list, &count)) {
    result.assign(list, list + count);
    if (list) XFree(list);
  }
  return result;
}

Picture XSession::capture(Window window) {
  XWindowAttributes attributes;
  XGetWindowAttributes(connection, window, &attributes);
  XImage* image = XGetImage(connection, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) throw std::runtime_error("XGetImage failed");
  if (image->red_mask != 0xFF0000 || image->green_mask != 0xFF00 || image->blue_mask != 0xFF) {
    XDestroyImage(image);
    throw std::runtime_error("the tests expect a 24-bit true-colour screen (xvfb-run -s \"-screen 0 1024x768x24\")");
  }
  Picture picture;
  picture.width = attributes.width;
  picture.height = attributes.height;
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      uint8_t* out = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
      out[0] = static_cast<uint8_t>((pixel & image->red_mask) >> 16);
      out[1] = static_cast<uint8_t>((pixel & image->green_mask) >> 8);
      out[2] = static_cast<uint8_t>(pixel & image->blue_mask);
    }
  }
  XDestroyImage(image);
  return picture;
}

void XSession::exposeWindow(Window window) {
  XClearArea(connection, window, 0, 0, 0, 0, True);
  XSync(connection, False);
}

void XSession::movePointer(int x, int y) {
  XTestFakeMotionEvent(connection, DefaultScreen(connection), x, y, CurrentTime);
  XSync(connection, False);
}

void XSession::pressButton() {
  XTestFakeButtonEvent(connection, 1, True, CurrentTime);
  XSync(connection, False);
}

void XSession::releaseButton() {
  XTestFakeButtonEvent(connection, 1, False, CurrentTime);
  XSync(connection, False);
}

void pumpEditor(const std::function<void()>& idle) {
  for (int round = 0; round < 4; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    idle();
  }
}
