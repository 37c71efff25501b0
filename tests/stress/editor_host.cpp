#include "editor_host.h"

#include <cstdint>

#include "heap_in_use.h"

namespace {

int xErrors = 0;

int countXError(Display*, XErrorEvent*) {
  ++xErrors;
  return 0;
}

void* parentHandle(Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

}  // namespace

HostDisplay::HostDisplay() : display(XOpenDisplay(nullptr)) {
  xErrors = 0;
  if (display) previousHandler = XSetErrorHandler(countXError);
}

HostDisplay::~HostDisplay() {
  if (!display) return;
  XSetErrorHandler(previousHandler);
  XCloseDisplay(display);
}

int HostDisplay::errors() { return xErrors; }

Window HostDisplay::createParent() {
  Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  return parent;
}

void HostDisplay::destroy(Window window) {
  XDestroyWindow(display, window);
  XSync(display, False);
}

std::vector<Window> HostDisplay::childrenOf(Window window) {
  XSync(display, False);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &root, &parent, &children, &count)) {
    result.assign(children, children + count);
    if (children) XFree(children);
  }
  return result;
}

void HostDisplay::sendMouse(Window window, int type, int x, int y, unsigned int state) {
  XEvent event = {};
  // Motion and button events share these fields at the same places.
  XButtonEvent& fields = event.xbutton;
  fields.type = type;
  fields.send_event = True;
  fields.display = display;
  fields.window = window;
  fields.root = DefaultRootWindow(display);
  fields.time = CurrentTime;
  fields.x = fields.x_root = x;
  fields.y = fields.y_root = y;
  fields.state = state;
  fields.same_screen = True;
  if (type != MotionNotify) fields.button = Button1;
  long mask = type == ButtonPress ? ButtonPressMask : type == ButtonRelease ? ButtonReleaseMask : PointerMotionMask;
  XSendEvent(display, window, True, mask, &event);
  XSync(display, False);
}

void EditorHost::SetUp() {
  ASSERT_NE(host.get(), nullptr) << "no X display: run the tests under xvfb-run";
  ASSERT_NE(instrument.record(), nullptr);
}

void EditorHost::idle(int times) {
  for (int i = 0; i < times; ++i) dispatch(effEditIdle);
}

Window EditorHost::openIn(Window parent) {
  ERect* rect = nullptr;
  EXPECT_EQ(dispatch(effEditGetRect, &rect), 1);
  EXPECT_EQ(dispatch(effEditOpen, parentHandle(parent)), 1);
  idle(3);
  std::vector<Window> children = host.childrenOf(parent);
  if (children.size() != 1) {
    ADD_FAILURE() << "the parent holds " << children.size() << " windows after open";
    return 0;
  }
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(host.get(), children[0], &attributes)) return 0;
  EXPECT_EQ(attributes.width, kEditorWidth);
  EXPECT_EQ(attributes.height, kEditorHeight);
  EXPECT_EQ(attributes.map_state, IsViewable);
  return children[0];
}

long EditorHost::openAndCloseInFreshParents(int cycles, int warmUp) {
  Window root = DefaultRootWindow(host.get());
  const size_t topLevelWindowsBefore = host.childrenOf(root).size();
  size_t heapAfterWarmUp = 0;
  int opened = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    if (cycle == warmUp) heapAfterWarmUp = heapInUse();
    Window parent = host.createParent();
    if (openIn(parent) != 0) ++opened;
    dispatch(effEditClose);
    idle(1);
    host.destroy(parent);
    idle(1);
  }
  const long growth = static_cast<long>(heapInUse()) - static_cast<long>(heapAfterWarmUp);
  EXPECT_EQ(opened, cycles);
  EXPECT_EQ(host.childrenOf(root).size(), topLevelWindowsBefore) << "windows left behind";
  return growth;
}
