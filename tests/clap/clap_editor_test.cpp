// The editor as a CLAP host meets it: created and embedded through the gui
// extension, driven by the host's timer and real pointer input (XTest). A
// knob's release reaches the host as a gesture on that parameter, through
// flush or process; a value the host sets turns the knob and sends nothing
// back; the host's OpenGL context stays current through every call.
// gtest and the test host first: Xlib's macros (None, Bool) would break them.
#include <gtest/gtest.h>

#include "clap_test_host.h"
#include "editor/mouse_editing.h"
#include "editor/scene_geometry.h"
#include "x_session.h"

#include <GL/glx.h>

namespace {

constexpr int kHostX = 400;  // the host window's place on the screen
constexpr int kHostY = 300;
constexpr int kDrag = 40;    // pixels to the right: a knob turns 40 degrees towards 1

// What a knob at `value` sends after the drag: 240 degrees span 0 to 1, and
// turning towards 1 lowers the angle.
float draggedFrom(double value) { return static_cast<float>(((value - 0.5) * -240.0 - kDrag) / -240.0 + 0.5); }

TEST(ClapEditor, ReleasesReachTheHostAndHostValuesTurnTheKnobs) {
  XSession x;
  const Window hostWindow = x.createHostWindow(kHostX, kHostY, kEditorWidth, kEditorHeight);
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
  XVisualInfo* visual = glXChooseVisual(x.display(), DefaultScreen(x.display()), attributes);
  ASSERT_NE(visual, nullptr);
  const GLXContext hostContext = glXCreateContext(x.display(), visual, nullptr, True);
  ASSERT_TRUE(glXMakeCurrent(x.display(), hostWindow, hostContext));
  const auto hostsIsCurrent = [&] {
    return glXGetCurrentContext() == hostContext && glXGetCurrentDrawable() == hostWindow;
  };

  TestHost host;
  PluginInstance instance(host);
  const auto* gui = instance.extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
  const auto* timers = instance.extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  const auto* params = instance.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  const auto runTimers = [&] {
    pumpEditor([&] {
      for (clap_id timer : host.timers) timers->on_timer(instance.plugin, timer);
    });
  };
  const auto dragKnob = [&](int parameter) {
    int knob = 0;
    while (kKnobLayout[knob].parameter != parameter) ++knob;
    x.movePointer(kHostX + knobHotspots[knob].x, kHostY + knobHotspots[knob].y);
    x.pressButton();
    runTimers();
    x.movePointer(kHostX + knobHotspots[knob].x + kDrag, kHostY + knobHotspots[knob].y);
    runTimers();
    x.releaseButton();
    runTimers();
  };
  const auto expectGesture = [&](const ClapEvents& out, clap_id parameter, float value) {
    ASSERT_EQ(out.types(), (std::vector<uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                                  CLAP_EVENT_PARAM_GESTURE_END}));
    EXPECT_EQ(out.at<clap_event_param_value_t>(1).param_id, parameter);
    EXPECT_EQ(out.at<clap_event_param_value_t>(1).value, value);
    EXPECT_EQ(instance.value(parameter), value);
  };

  ASSERT_TRUE(gui->create(instance.plugin, CLAP_WINDOW_API_X11, false));
  clap_window_t parent{CLAP_WINDOW_API_X11, {}};
  parent.x11 = hostWindow;
  ASSERT_TRUE(gui->set_parent(instance.plugin, &parent));
  EXPECT_TRUE(hostsIsCurrent()) << "after create and set_parent";
  runTimers();
  EXPECT_TRUE(hostsIsCurrent()) << "after the timer, which painted";

  // Not processing: the release asks for a flush, which sends the gesture.
  dragKnob(decayTime);
  EXPECT_EQ(host.flushes, 1);
  ClapEvents none, flushed;
  params->flush(instance.plugin, none.in(), flushed.out());
  expectGesture(flushed, decayTime, draggedFrom(0.0));

  // The host's value turns the knob and comes back from nowhere...
  ClapEvents automation, echoed;
  automation.parameter(0, cutoff, 0.25);
  params->flush(instance.plugin, automation.in(), echoed.out());
  runTimers();
  EXPECT_TRUE(echoed.types().empty());
  // ...and the knob drags on from it; processing, the next block sends the gesture.
  dragKnob(cutoff);
  std::vector<float> left(64), right(64);
  ClapEvents processed;
  instance.process(64, left.data(), right.data(), none, &processed);
  expectGesture(processed, cutoff, draggedFrom(0.25));

  gui->destroy(instance.plugin);
  EXPECT_TRUE(host.timers.empty());
  EXPECT_TRUE(hostsIsCurrent()) << "after destroy";
  glXMakeCurrent(x.display(), 0, nullptr);
  glXDestroyContext(x.display(), hostContext);
  XFree(visual);
}

}  // namespace
