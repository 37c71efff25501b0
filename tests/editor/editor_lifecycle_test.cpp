// Editors opening and closing, alone and side by side, with the module-wide
// state they share: the window class, the panel pixels and the two tables.
#include <gtest/gtest.h>

#include "editor/editor_tables.h"
#include "editor/panel_pixels.h"
#include "editor_fixture.h"
#include "platform/module_instance.h"
#include "platform/window_system.h"
#include "scene_projection.h"

namespace {

bool classRegistered() { return platform::isClassRegistered("quorlinClass", moduleInstance); }

int contextsHeld() {
  int held = 0;
  for (const ContextEntry& entry : contextTable) held += entry.context != nullptr;
  return held;
}

// Whether the picture shows every knob's fin straight up.
bool allFinsUp(const Picture& picture) {
  for (int knob = 0; knob < 8; ++knob) {
    const WindowPoint spot = finTopPixel(knob, 0.0, 0.72);
    if (!isFinRed(picture.at(static_cast<int>(spot.x), static_cast<int>(spot.y)))) return false;
  }
  return true;
}

class EditorLifecycle : public EditorFixture {
 protected:
  Window secondHost = x.createHostWindow(20, 20, 300, 200);
};

TEST_F(EditorLifecycle, TwoEditorsShareTheClassAndPixelsUntilTheLastCloses) {
  auto first = makePlugin();
  auto second = makePlugin();
  setAllValues(*first, 0.5f);
  setAllValues(*second, 0.5f);
  EXPECT_FALSE(classRegistered());

  open(*first, host);
  open(*second, secondHost);
  EXPECT_TRUE(classRegistered());
  EXPECT_EQ(openCount, 2);
  EXPECT_EQ(contextsHeld(), 2);
  EXPECT_TRUE(allFinsUp(pictureOf(*first)));
  EXPECT_TRUE(allFinsUp(pictureOf(*second)));

  first->glEditor->close();
  EXPECT_TRUE(classRegistered());
  EXPECT_NE(panelPixels, nullptr);

  // The host takes the first editor's window away with its parent; the other
  // window keeps its own context and texture.
  x.destroyWindow(host);
  pump(*second);
  EXPECT_EQ(contextsHeld(), 1);
  setAllValues(*second, 1.0f);
  setAllValues(*second, 0.5f);
  EXPECT_TRUE(allFinsUp(pictureOf(*second)));

  second->glEditor->close();
  EXPECT_FALSE(classRegistered());
  EXPECT_EQ(panelPixels, nullptr);
  EXPECT_EQ(contextsHeld(), 0);

  open(*second, secondHost);
  EXPECT_TRUE(classRegistered());
  EXPECT_NE(panelPixels, nullptr);
  EXPECT_TRUE(allFinsUp(pictureOf(*second)));
  second->glEditor->close();
}

TEST_F(EditorLifecycle, AWindowWhosePluginIsGoneNeitherPaintsNorEdits) {
  auto keeper = makePlugin();  // keeps the class, and the left-behind window, alive
  open(*keeper, secondHost);
  auto leaving = makePlugin();
  setAllValues(*leaving, 0.5f);
  open(*leaving, host);
  const Window orphan = xWindowOf(leaving->glEditor->windowHandle());
  const Picture before = x.capture(orphan);
  ASSERT_TRUE(allFinsUp(before));

  leaving->glEditor->close();
  leaving.reset();
  // A new instance takes the freed entry; the old window must not become its.
  auto newcomer = makePlugin();
  setAllValues(*newcomer, 0.2f);

  x.exposeWindow(orphan);
  pump(*keeper);
  EXPECT_EQ(x.capture(orphan).rgb, before.rgb);

  pressAt(*keeper, 149, 135);  // on the orphan's knob 5
  moveTo(*keeper, 100, 135);
  release(*keeper);
  for (int parameter = 0; parameter < 8; ++parameter) EXPECT_EQ(newcomer->getParameter(parameter), 0.2f);

  // Its parent going still releases its context.
  EXPECT_EQ(contextsHeld(), 2);
  x.destroyWindow(host);
  pump(*keeper);
  EXPECT_EQ(contextsHeld(), 1);
  keeper->glEditor->close();
}

TEST_F(EditorLifecycle, ManyOpenCloseCyclesLeaveNothingBehind) {
  auto plugin = makePlugin();
  for (int cycle = 0; cycle < 100; ++cycle) {
    open(*plugin, host);
    ASSERT_EQ(x.children(host).size(), 1u) << "cycle " << cycle;
    plugin->glEditor->close();
    ASSERT_TRUE(x.children(host).empty()) << "cycle " << cycle;
    ASSERT_FALSE(classRegistered());
    ASSERT_EQ(panelPixels, nullptr);
    ASSERT_EQ(contextsHeld(), 0);
  }
}

TEST_F(EditorLifecycle, AParentDestroyedWhileOpenReleasesTheContext) {
  auto plugin = makePlugin();
  open(*plugin, host);
  x.destroyWindow(host);
  pump(*plugin);
  EXPECT_EQ(contextsHeld(), 0);
  plugin->glEditor->close();
  EXPECT_FALSE(classRegistered());
}

TEST_F(EditorLifecycle, AnInstanceClosedWithItsEditorOpenClosesTheEditor) {
  auto plugin = makePlugin();
  open(*plugin, host);
  plugin.reset();
  EXPECT_EQ(openCount, 0);
  EXPECT_FALSE(classRegistered());
  EXPECT_TRUE(x.children(host).empty());
}

TEST_F(EditorLifecycle, ACloseWithoutOpenChangesNothing) {
  auto open_ = makePlugin();
  auto idle = makePlugin();
  open(*open_, host);
  idle->glEditor->close();
  EXPECT_EQ(openCount, 1);
  EXPECT_TRUE(classRegistered());
  open_->glEditor->close();
}

}  // namespace
