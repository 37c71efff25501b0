// The LV2 UI, loaded from the bundle, leaves a host's current OpenGL context
// current through every call (instantiate, port_event, idle, cleanup), though
// it draws with a context of its own inside them.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>

#include <GL/glx.h>
#include <dlfcn.h>

namespace {

TEST(Lv2Ui, LeavesTheHostsGlContextAsItFoundIt) {
  // The host's display and context stay until the process ends (static), so
  // Mesa's driver stays loaded and what it keeps is not taken for a leak.
  static Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
  XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
  ASSERT_NE(visual, nullptr);
  XSetWindowAttributes windowAttributes{};
  windowAttributes.colormap = XCreateColormap(display, DefaultRootWindow(display), visual->visual, AllocNone);
  const Window host = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, visual->depth,
                                    InputOutput, visual->visual, CWColormap, &windowAttributes);
  static const GLXContext hostContext = glXCreateContext(display, visual, nullptr, True);
  ASSERT_TRUE(glXMakeCurrent(display, host, hostContext));
  const auto hostsIsCurrent = [&] { return glXGetCurrentContext() == hostContext && glXGetCurrentDrawable() == host; };

  void* library = dlopen(QUORLIN_LV2_UI, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const LV2UI_Descriptor* ui = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"))(0);
  const auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
  const LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(host)};
  const LV2_Feature* features[] = {&parent, nullptr};
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle editor = ui->instantiate(ui, "urn:quorlin:instrument", "", nullptr, nullptr, &widget, features);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(hostsIsCurrent()) << "after instantiate";
  const float lowpass = 0.25f;
  ui->port_event(editor, 9, sizeof lowpass, 0, &lowpass);  // a knob turns, so idle paints
  for (int i = 0; i < 10; ++i) EXPECT_EQ(idle->idle(editor), 0);
  EXPECT_TRUE(hostsIsCurrent()) << "after idle, which painted";
  ui->cleanup(editor);
  EXPECT_TRUE(hostsIsCurrent()) << "after cleanup";
  XFree(visual);
}

}  // namespace
