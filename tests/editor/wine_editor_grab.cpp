// wine_editor_grab OUT.png: saves the picture that the Windows build's editor
// draws under Wine, read from the Linux side of the X server.
//
// Wine 8.0 renders an OpenGL child window (the editor inside the host's
// window) into an X window of its own, redirected off screen with XComposite
// and parked inside a 1x1 stand-in window at (-1, -1), and never copies it to
// the screen. This program finds that window on a private X server where only
// quorlin-host.exe runs, writes its contents as a PNG, and says how much of it
// the screen shows inside the host's window.
//
// Exit status: 0 written; 1 error; 2 the window is not there (yet); 3 the
// window is there but blank, all one colour (not drawn yet).
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/png_writer.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wine_editor_grab OUT.png   (on the X server where quorlin-host.exe runs)\n");
    return kFailed;
  }
  try {
    return grab(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wine_editor_grab: %s\n", error.what());
    return kFailed;
  }
}
