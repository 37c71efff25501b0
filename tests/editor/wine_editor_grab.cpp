// wine_editor_grab OUT.png: saves the picture that the Windows build's editor
// draws under Wine, read from the Linux side of the X server.
// wine_editor_grab --drag X Y DX: drags with the left button, through real
// pointer events (XTest), from (X, Y) of the editor to DX pixels to the side,
// then closes quorlin-host's window as a user would.
//
// Wine 8.0 renders an OpenGL child window (the editor inside the host's
// window) into an X window of its own, redirected off screen with XComposite
// and parked inside a 1x1 stand-in window at (-1, -1), and never copies it to
// the screen. This program finds that window on a private X server where only
// quorlin-host.exe runs, writes its contents as a PNG, and says how much of it
// the screen shows inside the host's window.
//
// Exit status: 0 written (dragged); 1 error; 2 the window is not there (yet);
// 3 the window is there but blank, all one colour (not drawn yet).
//
// Wine routes pointer input on a top-level X window to its Win32 child
// windows by hit-testing, so the editor gets the drag although its pixels
// never reach the screen. The editor sits at the host window's client origin,
// which is the X window's own origin: Wine leaves the frame to a window manager.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/files/png_writer.h"
#include "x_session.h"

namespace {

enum GrabStatus : int { kGrabbed = 0, kFailed = 1, kNoWindow = 2, kBlank = 3 };

// Windows come and go while Wine starts; one that vanishes between the query
// and the look at it is simply skipped, rather than ending the program as
// Xlib's default handler would.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

bool attributesOf(Display* display, Window window, XWindowAttributes& attributes) {
  return XGetWindowAttributes(display, window, &attributes) != 0;
}

// Wine's stand-in parent for an off-screen OpenGL child: a 1x1 top-level
// window at (-1, -1) holding the child's X window. None when there is no such
// window; throws when there are several, since then which one is the editor's
// cannot be told.
Window findOffscreenGlWindow(XSession& session) {
  Window found = None;
  for (Window topLevel : session.children(DefaultRootWindow(session.display()))) {
    XWindowAttributes attributes;
    if (!attributesOf(session.display(), topLevel, attributes)) continue;
    if (attributes.x != -1 || attributes.y != -1 || attributes.width != 1 || attributes.height != 1) continue;
    const std::vector<Window> inside = session.children(topLevel);
    if (inside.size() != 1) continue;
    if (found != None) throw std::runtime_error("more than one off-screen OpenGL window; cannot tell the editor's");
    found = inside[0];
  }
  return found;
}

// quorlin-host's own window, found by the title it gives it.
Window findHostWindow(XSession& session) {
  const char* const kTitlePrefix = "quorlin-host editor: ";
  for (Window topLevel : session.children(DefaultRootWindow(session.display()))) {
    char* name = nullptr;
    if (!XFetchName(session.display(), topLevel, &name) || !name) continue;
    const bool matches = std::strncmp(name, kTitlePrefix, std::strlen(kTitlePrefix)) == 0;
    XFree(name);
    if (matches) return topLevel;
  }
  return None;
}

bool allOneColour(const Picture& picture) {
  for (size_t i = 3; i < picture.rgb.size(); i += 3) {
    if (std::memcmp(&picture.rgb[i], &picture.rgb[0], 3) != 0) return false;
  }
  return true;
}

// Pixels of the editor's picture, other than black (the host window's own
// background), that the screen shows at the same place in the host window,
// within the 8 levels per channel that the picture comparison allows.
struct OnScreenCount {
  int shown = 0;
  int drawn = 0;
};

OnScreenCount countShownOnScreen(const Picture& editor, const Picture& screen) {
  constexpr int kChannelTolerance = 8;
  OnScreenCount count;
  for (int y = 0; y < editor.height; ++y) {
    for (int x = 0; x < editor.width; ++x) {
      const Rgb drawn = editor.at(x, y);
      if (drawn.red == 0 && drawn.green == 0 && drawn.blue == 0) continue;
      ++count.drawn;
      if (x >= screen.width || y >= screen.height) continue;
      const Rgb shown = screen.at(x, y);
      count.shown += std::abs(shown.red - drawn.red) <= kChannelTolerance &&
                     std::abs(shown.green - drawn.green) <= kChannelTolerance &&
                     std::abs(shown.blue - drawn.blue) <= kChannelTolerance;
    }
  }
  return count;
}

int grab(const std::string& outputPath) {
  XSetErrorHandler(ignoreXError);
  XSession session;
  const Window glWindow = findOffscreenGlWindow(session);
  if (glWindow == None) {
    std::fprintf(stderr, "wine_editor_grab: no off-screen OpenGL window on this display\n");
    return kNoWindow;
  }
  XWindowAttributes attributes;
  if (!attributesOf(session.display(), glWindow, attributes)) {
    std::fprintf(stderr, "wine_editor_grab: the off-screen OpenGL window went away\n");
    return kNoWindow;
  }
  const Picture editor = session.capture(glWindow);
  if (allOneColour(editor)) {
    std::fprintf(stderr, "wine_editor_grab: the off-screen OpenGL window is blank\n");
    return kBlank;
  }
  const Window host = findHostWindow(session);
  if (host == None) throw std::runtime_error("quorlin-host's window is not on this display");

  RgbImage image;
  image.width = editor.width;
  image.height = editor.height;
  image.pixels = editor.rgb;
  writePngFile(outputPath, image);

  const OnScreenCount count = countShownOnScreen(editor, session.capture(host));
  std::printf("the screen shows %d of the %d drawn pixels in the host's window\n", count.shown, count.drawn);
  return kGrabbed;
}

// The steps a hand makes of a short drag, and the pause Wine gets to turn
// each pointer event into the editor's messages.
constexpr int kDragSteps = 6;
constexpr std::chrono::milliseconds kEventPause(50);

void pause() { std::this_thread::sleep_for(kEventPause); }

// Asks the window to close, as a window manager does for its close button.
void closeWindow(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

int drag(int x, int y, int dx) {
  XSetErrorHandler(ignoreXError);
  XSession session;
  const Window host = findHostWindow(session);
  if (host == None) {
    std::fprintf(stderr, "wine_editor_grab: quorlin-host's window is not on this display\n");
    return kNoWindow;
  }
  Display* display = session.display();
  int rootX = 0, rootY = 0;
  Window unused;
  if (!XTranslateCoordinates(display, host, DefaultRootWindow(display), x, y, &rootX, &rootY, &unused)) {
    throw std::runtime_error("quorlin-host's window is on another screen");
  }
  session.movePointer(rootX, rootY);
  pause();
  session.pressButton();
  pause();
  for (int step = 1; step <= kDragSteps; ++step) {
    session.movePointer(rootX + dx * step / kDragSteps, rootY);
    pause();
  }
  session.releaseButton();
  pause();
  closeWindow(display, host);
  return kGrabbed;
}

int parseInteger(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < -10000 || value > 10000) {
    throw std::runtime_error(std::string("'") + text + "' is not a whole number of pixels");
  }
  return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv) {
  const bool dragging = argc == 5 && std::strcmp(argv[1], "--drag") == 0;
  if (argc != 2 && !dragging) {
    std::fprintf(stderr,
                 "usage: wine_editor_grab OUT.png | --drag X Y DX   (on the X server where quorlin-host.exe runs)\n");
    return kFailed;
  }
  try {
    if (dragging) return drag(parseInteger(argv[2]), parseInteger(argv[3]), parseInteger(argv[4]));
    return grab(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wine_editor_grab: %s\n", error.what());
    return kFailed;
  }
}
