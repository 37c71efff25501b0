// The editor's parts that need no window: the knob mesh, the angle and value
// mappings, the hit squares, the rectangle, the module-wide table of eight
// editors and the panel resource.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/editor_tables.h"
#include "editor/knob_model.h"
#include "editor/mouse_editing.h"
#include "platform/module_instance.h"
#include "platform/module_resource.h"
#include "scene_projection.h"
#include "vst2/editor/gl_editor.h"
#include "vst2/instrument/synth_plugin.h"

namespace {

// Stored mesh values are rounded to six decimals, so they compare within half a millionth.
constexpr double kSixDecimals = 5e-7;

TEST(KnobMesh, FollowsItsProfileRule) {
  const KnobBody& body = knobBody();
  EXPECT_NEAR(body.vertices[6][0], 0.369552, kSixDecimals);
  EXPECT_NEAR(body.vertices[6][1], 0.153073, kSixDecimals);
  EXPECT_EQ(body.vertices[6][2], 0.8);
  for (int ring = 0; ring <= 16; ++ring) {
    EXPECT_EQ(body.vertices[5 * ring][0], 0.0) << "the axis point is stored again in every ring";
    EXPECT_EQ(body.vertices[5 * ring][1], 0.0);
  }
  for (int k = 0; k < 5; ++k) {
    for (int axis = 0; axis < 3; ++axis) EXPECT_EQ(body.vertices[80 + k][axis], body.vertices[k][axis]);
  }
  EXPECT_EQ(body.quads[13][0], 16);  // quad 4j + k of segment 3, band 1
  EXPECT_EQ(body.quads[13][1], 17);
  EXPECT_EQ(body.quads[13][2], 22);
  EXPECT_EQ(body.quads[13][3], 21);
}

TEST(KnobMesh, NormalsFaceOutOfTheKnob) {
  const KnobBody& body = knobBody();
  const double bevel[3] = {-0.700215, -0.13928, 0.700215};  // quad 1: inwards and up
  const double skirt[3] = {0.975013, 0.193941, 0.108335};   // quad 3: outwards
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_NEAR(body.normals[1][axis], bevel[axis], kSixDecimals);
    EXPECT_NEAR(body.normals[3][axis], skirt[axis], kSixDecimals);
  }
  for (int segment = 0; segment < 16; ++segment) {
    for (int band : {0, 2}) {  // the flat parts face straight up, exactly
      const double* normal = body.normals[4 * segment + band];
      EXPECT_EQ(normal[0], 0.0);
      EXPECT_EQ(normal[1], 0.0);
      EXPECT_EQ(normal[2], 1.0);
    }
  }
}

TEST(KnobMesh, FinReachesPastTheSkirt) {
  EXPECT_EQ(pointerFin.vertices[0][1], 0.8);  // top outer corner, at height 0.6
  EXPECT_EQ(pointerFin.vertices[4][1], 0.9);  // base outer corner
  EXPECT_EQ(pointerFin.normals[1][1], 1.0);   // the outer end faces along +y
}

class EditorObject : public ::testing::Test {
 protected:
  std::unique_ptr<SynthPlugin> plugin = std::make_unique<SynthPlugin>(nullptr);
};

TEST_F(EditorObject, RectangleIsFixedBeforeAnyOpen) {
  ERect* rect = nullptr;
  EXPECT_EQ(plugin->glEditor->getRect(&rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 200);
  EXPECT_EQ(rect->right, 300);
}

// Exact: (v - 0.5) x -240 is exact in double for these values.
TEST_F(EditorObject, KnobValuesTurnIntoAnglesByParameter) {
  GlEditor& editor = *plugin->glEditor;
  editor.setKnobs({0.25, 1.0, 0.0, 0.5, 1.25, -0.5, 0.75, 0.5});
  EXPECT_EQ(editor.knobAngle(waveform), 60.0);
  EXPECT_EQ(editor.knobAngle(cutoff), -120.0);
  EXPECT_EQ(editor.knobAngle(damping), 120.0);
  EXPECT_EQ(editor.knobAngle(attackTime), 0.0);
  EXPECT_EQ(editor.knobAngle(peakLevel), -180.0);  // not clamped: the fin points down
  EXPECT_EQ(editor.knobAngle(decayTime), 240.0);
  EXPECT_EQ(editor.knobAngle(sustainLevel), -60.0);
  EXPECT_EQ(editor.windowHandle(), nullptr);
}

TEST_F(EditorObject, ApplyingAProgramTurnsTheKnobs) {
  plugin->setParameter(cutoff, 0.25f);
  plugin->setProgram(0);
  EXPECT_EQ(plugin->glEditor->knobAngle(cutoff), 60.0);
}

TEST(HitSquares, AreStrictThirtyNineBySquares) {
  EXPECT_EQ(hitKnob(86, 85), 0);
  EXPECT_EQ(hitKnob(87, 85), kNoKnob);
  EXPECT_EQ(hitKnob(48, 66), 0);
  EXPECT_EQ(hitKnob(47, 85), kNoKnob);
  EXPECT_EQ(hitKnob(67, 105), kNoKnob);
  for (int knob = 0; knob < 8; ++knob) EXPECT_EQ(hitKnob(knobHotspots[knob].x, knobHotspots[knob].y), knob);
}

// The value sent is (120 - angle) x 0.00416 rounded to a float; compared
// within 4 units in the last place.
TEST(KnobValues, SpanZeroTo0_9984) {
  EXPECT_EQ(knobValue(120.0), 0.0f);
  EXPECT_FLOAT_EQ(knobValue(0.0), 0.4992f);
  EXPECT_FLOAT_EQ(knobValue(60.0), 0.2496f);
  EXPECT_FLOAT_EQ(knobValue(-120.0), 0.9984f);
}

TEST(EditorTable, NinthInstanceIsRefusedAndAFreedEntryReused) {
  std::vector<std::unique_ptr<SynthPlugin>> plugins;
  for (int i = 0; i < 8; ++i) plugins.push_back(std::make_unique<SynthPlugin>(nullptr));
  try {
    SynthPlugin ninth(nullptr);
    ADD_FAILURE() << "a ninth instance was built";
  } catch (int refusal) {
    EXPECT_EQ(refusal, -1);
  }
  // The eight others still work.
  plugins[7]->setParameter(cutoff, 0.75f);
  plugins[7]->setProgram(0);
  EXPECT_EQ(plugins[7]->glEditor->knobAngle(cutoff), -60.0);

  plugins[3].reset();
  EXPECT_EQ(windowTable[3].plugin, nullptr);
  plugins[3] = std::make_unique<SynthPlugin>(nullptr);
  EXPECT_EQ(windowTable[3].plugin, plugins[3].get());
}

TEST(PanelResource, IsTheCommittedPanelByName) {
  uint32_t size = 0;
  const uint8_t* bytes = platform::loadModuleResource(moduleInstance, "IDR_BIN1", "BIN", &size);
  ASSERT_NE(bytes, nullptr);
  ASSERT_EQ(size, 786432u);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), committedPanel());
  EXPECT_EQ(platform::loadModuleResource(moduleInstance, "IDR_BIN2", "BIN", &size), nullptr);
}

}  // namespace
