#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "tools/hosting/host_window.h"
#include "tools/system/tool_error.h"

struct HostWindow::State {
  Display* display;
  Window window;
  Atom deleteWindow;
  int width;
  int height;
};

namespace {

// A fixed size: the editor inside does not follow a resized window.
void fixSize(Display* display, Window window, int width, int height) {
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(display, window, &hints);
}

bool badChild = false;
int noteBadChild(Display*, XErrorEvent*) {
  badChild = true;
  return 0;
}

}  // namespace

HostWindow::HostWindow(const std::string& title, int width, int height) : state(new State{}) {
  state->display = XOpenDisplay(nullptr);
  if (!state->display) {
    delete state;
    throw ToolError(kExitBadInput, "cannot open the X display (is DISPLAY set?)");
  }
  Display* display = state->display;
  state->width = width;
  state->height = height;
  state->window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, BlackPixel(display, DefaultScreen(display)),
                                      BlackPixel(display, DefaultScreen(display)));
  XStoreName(display, state->window, title.c_str());
  fixSize(display, state->window, width, height);
  state->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, state->window, &state->deleteWindow, 1);
  XSelectInput(display, state->window, StructureNotifyMask);
  XMapWindow(display, state->window);
  XEvent event;
  do {
    XWindowEvent(display, state->window, StructureNotifyMask, &event);
  } while (event.type != MapNotify);
}

HostWindow::~HostWindow() {
  XDestroyWindow(state->display, state->window);
  XCloseDisplay(state->display);
  delete state;
}

void* HostWindow::parentHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(state->window)); }

void HostWindow::resize(int width, int height) {
  state->width = width;
  state->height = height;
  fixSize(state->display, state->window, width, height);
  XResizeWindow(state->display, state->window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(state->display, False);
}

// The child belongs to another connection (the editor's own), which may not
// have created it yet as far as this one knows: a window that is not there
// is answered with an X error, caught here instead of ending the program.
void HostWindow::fitChild(void* child) {
  XSync(state->display, False);
  badChild = false;
  const auto previous = XSetErrorHandler(noteBadChild);
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  const Status found = XGetGeometry(state->display, static_cast<Window>(reinterpret_cast<uintptr_t>(child)), &root, &x,
                                    &y, &width, &height, &border, &depth);
  XSync(state->display, False);
  XSetErrorHandler(previous);
  if (found != 0 && !badChild && width > 0 && height > 0) resize(static_cast<int>(width), static_cast<int>(height));
}

bool HostWindow::handleEvents() {
  bool open = true;
  while (XPending(state->display)) {
    XEvent event;
    XNextEvent(state->display, &event);
    if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == state->deleteWindow) {
      open = false;
    }
  }
  return open;
}

RgbImage HostWindow::capture() const {
  XImage* image = XGetImage(state->display, state->window, 0, 0, static_cast<unsigned>(state->width),
                            static_cast<unsigned>(state->height), AllPlanes, ZPixmap);
  if (!image) throw ToolError(kExitCannotWrite, "cannot read the window's picture from the X server");
  RgbImage picture;
  picture.width = state->width;
  picture.height = state->height;
  picture.pixels.reserve(static_cast<size_t>(state->width) * state->height * 3);
  // Each channel's bits, wherever the visual keeps them, scaled to 8 bits.
  const unsigned long masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
  for (int y = 0; y < state->height; ++y) {
    for (int x = 0; x < state->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      for (unsigned long mask : masks) {
        if (mask == 0) {
          picture.pixels.push_back(0);
          continue;
        }
        unsigned long shifted = mask, value = pixel & mask;
        while (!(shifted & 1)) {
          shifted >>= 1;
          value >>= 1;
        }
        picture.pixels.push_back(static_cast<uint8_t>(value * 255 / shifted));
      }
    }
  }
  XDestroyImage(image);
  return picture;
}
