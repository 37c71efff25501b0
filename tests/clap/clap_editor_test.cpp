// The editor as a CLAP host meets it: created and embedded through the gui
// extension, driven by the host's timer and real pointer input (XTest). A
// knob's release reaches the host as a gesture on that parameter, through
// flush or process; a value the host sets turns the knob and sends nothing
// back; and the host's OpenGL context stays current through every call.
// gtest and the test host first: Xlib's macros (None, Bool) would break them.
#include <gtest/gtest.h>

#include "clap/interface/clap_abi_extensions.h"
#include "clap_test_host.h"
#include "editor/mouse_editing.h"
#include "editor/scene_geometry.h"
#include "x_session.h"

#include <GL/glx.h>

namespace {

constexpr int kHostX = 400;  // the host window's place on the screen
constexpr int kHostY = 300;
constexpr int kDrag = 40;    // pixels to the right: a knob turns 40 degrees towards 1

int knobOf(int parameter) {
  for (int knob = 0; knob < kKnobCount; ++knob) {
    if (kKnobLayout[knob].parameter == parameter) return knob;
  }
  return -1;
}

// What a knob at `value` sends after the drag: 240 degrees span 0 to 1, and
// turning towards 1 lowers the angle.
float draggedFrom(double value) { return static_cast<float>(((value - 0.5) * -240.0 - kDrag) / -240.0 + 0.5); }

class ClapEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    // The host draws with a context of its own, current on this thread.
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    visual = glXChooseVisual(x.display(), DefaultScreen(x.display()), attributes);
    ASSERT_NE(visual, nullptr);
    hostContext = glXCreateContext(x.display(), visual, nullptr, True);
    ASSERT_TRUE(glXMakeCurrent(x.display(), hostWindow, hostContext));
    ASSERT_TRUE(instance.activate(48000.0));
  }
  void TearDown() override {
    glXMakeCurrent(x.display(), 0, nullptr);
    glXDestroyContext(x.display(), hostContext);
    XFree(visual);
  }

  bool hostsContextIsCurrent() const {
    return glXGetCurrentContext() == hostContext && glXGetCurrentDrawable() == hostWindow;
  }
  // The host's timer, a few rounds, with pauses for the X server.
  void runTimers() {
    pumpEditor([&] {
      for (clap_id timer : host.requests.timers) timers->on_timer(instance.plugin(), timer);
    });
  }
  void dragKnob(int parameter) {
    const KnobHotspot& spot = knobHotspots[knobOf(parameter)];
    x.movePointer(kHostX + spot.x, kHostY + spot.y);
    x.pressButton();
    runTimers();
    x.movePointer(kHostX + spot.x + kDrag, kHostY + spot.y);
    runTimers();
    x.releaseButton();
    runTimers();
  }
  // A gesture on one parameter: begin, the value, end.
  void expectGesture(const OutputEvents& out, clap_id parameter, float value) {
    ASSERT_EQ(out.types(), (std::vector<uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                                  CLAP_EVENT_PARAM_GESTURE_END}));
    const auto& change = reinterpret_cast<const clap_event_param_value_t&>(out.at(1));
    EXPECT_EQ(change.param_id, parameter);
    EXPECT_EQ(change.value, value);
    EXPECT_EQ(instance.value(parameter), value);
  }

  XSession x;
  Window hostWindow = x.createHostWindow(kHostX, kHostY, kEditorWidth, kEditorHeight);
  XVisualInfo* visual = nullptr;
  GLXContext hostContext = nullptr;
  TestHost host;
  PluginInstance instance{host};
  const clap_plugin_gui_t* gui = instance.extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
  const clap_plugin_timer_support_t* timers = instance.extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  const clap_plugin_params_t* params = instance.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
};

TEST_F(ClapEditor, ReleasesReachTheHostAndHostValuesTurnTheKnobs) {
  ASSERT_TRUE(gui->is_api_supported(instance.plugin(), CLAP_WINDOW_API_X11, false));
  ASSERT_TRUE(gui->create(instance.plugin(), CLAP_WINDOW_API_X11, false));
  clap_window_t parent{CLAP_WINDOW_API_X11, {}};
  parent.x11 = hostWindow;
  ASSERT_TRUE(gui->set_parent(instance.plugin(), &parent));
  ASSERT_TRUE(gui->show(instance.plugin()));
  EXPECT_TRUE(hostsContextIsCurrent()) << "after create, set_parent and show";
  runTimers();
  EXPECT_TRUE(hostsContextIsCurrent()) << "after the timer, which painted";

  // Not processing: the release asks for a flush, which sends the gesture.
  dragKnob(decayTime);
  EXPECT_EQ(host.requests.flushes, 1);
  OutputEvents flushed;
  params->flush(instance.plugin(), InputEvents().list(), flushed.list());
  expectGesture(flushed, decayTime, draggedFrom(0.0));

  // The host's value turns the knob and comes back from nowhere...
  InputEvents automation;
  automation.parameter(0, cutoff, 0.25);
  OutputEvents echoed;
  params->flush(instance.plugin(), automation.list(), echoed.list());
  runTimers();
  EXPECT_TRUE(echoed.types().empty());
  // ...and the knob drags on from it; processing, the next block sends the gesture.
  dragKnob(cutoff);
  std::vector<float> left(64), right(64);
  OutputEvents processed;
  instance.process(64, left.data(), right.data(), InputEvents(), &processed);
  expectGesture(processed, cutoff, draggedFrom(0.25));

  gui->destroy(instance.plugin());
  EXPECT_TRUE(host.requests.timers.empty());
  EXPECT_TRUE(hostsContextIsCurrent()) << "after destroy";
}

}  // namespace
