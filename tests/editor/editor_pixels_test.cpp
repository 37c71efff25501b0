// What the editor window shows, read back from the X server and checked
// against the panel texture and the knob geometry.
#include <gtest/gtest.h>

#include <cmath>

#include "editor_fixture.h"
#include "scene_projection.h"

namespace {

class EditorPixels : public EditorFixture {
 protected:
  void SetUp() override { open(*plugin, host); }
  void TearDown() override { plugin->glEditor->close(); }

  std::unique_ptr<SynthPlugin> plugin = makePlugin();
};

// Pixels far enough from every knob that neither the knob, its fin nor the
// perspective shift of its top can reach them.
bool clearOfKnobs(int px, int py) {
  for (const KnobSpot& spot : kKnobSpots) {
    const WindowPoint centre = projectToWindow(spot.x, spot.y, -19.9);
    const double dx = (px + 0.5 - centre.x) / 30.0, dy = (py + 0.5 - centre.y) / 27.0;
    if (dx * dx + dy * dy < 1.0) return false;
  }
  return true;
}

// Nearest sampling may land on either side of a texel edge that falls
// exactly on a pixel centre, so a neighbouring texel is accepted too; a
// tolerance of 2 allows for the rounding of the lighting.
bool showsPanel(const Picture& picture, const std::vector<uint8_t>& panel, int px, int py) {
  const int column = sampledTexelColumn(px), row = sampledTexelRow(py);
  for (int dr = -1; dr <= 1; ++dr) {
    for (int dc = -1; dc <= 1; ++dc) {
      if (closeTo(picture.at(px, py), litTexel(panel, column + dc, row + dr), 2)) return true;
    }
  }
  return false;
}

TEST_F(EditorPixels, PanelShowsUprightWithItsFirstTexelAtTheTopLeft) {
  const Picture picture = pictureOf(*plugin);
  ASSERT_EQ(picture.width, 300);
  ASSERT_EQ(picture.height, 200);
  const std::vector<uint8_t> panel = committedPanel();

  EXPECT_EQ(sampledTexelColumn(0), 2);  // the view spans a little less than the panel
  EXPECT_EQ(sampledTexelRow(0), 2);
  int compared = 0, drawn = 0, mismatched = 0;
  for (int py = 0; py < 200; ++py) {
    for (int px = 0; px < 300; ++px) {
      if (!clearOfKnobs(px, py)) continue;
      ++compared;
      if (litTexel(panel, sampledTexelColumn(px), sampledTexelRow(py)).red < 200) ++drawn;
      if (!showsPanel(picture, panel, px, py)) ++mismatched;
    }
  }
  // The comparison covers the name, the labels and the frame, not only plain red.
  EXPECT_GT(compared, 30000);
  EXPECT_GT(drawn, 1500);
  EXPECT_EQ(mismatched, 0);
}

struct FinCase {
  float value;
  double angle;  // where the fin must point, degrees counter-clockwise from up
};

class FinDirection : public EditorPixels, public ::testing::WithParamInterface<FinCase> {};

// The fin's top, 0.72 out from the axis, stands beyond the knob's skirt; it
// is the only thing in the picture as bright as full red.
TEST_P(FinDirection, EveryFinPointsWhereItsValueSays) {
  setAllValues(*plugin, GetParam().value);
  const Picture picture = pictureOf(*plugin);
  for (int knob = 0; knob < 8; ++knob) {
    for (double angle : {120.0, 0.0, -120.0, 180.0}) {
      const WindowPoint spot = finTopPixel(knob, angle, 0.72);
      const Rgb colour = picture.at(static_cast<int>(spot.x), static_cast<int>(spot.y));
      EXPECT_EQ(isFinRed(colour), angle == GetParam().angle)
          << "knob " << knob << " value " << GetParam().value << " looking at " << angle << " degrees: ("
          << colour.red << ", " << colour.green << ", " << colour.blue << ")";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Values, FinDirection,
                         ::testing::Values(FinCase{0.5f, 0.0}, FinCase{0.0f, 120.0}, FinCase{1.0f, -120.0},
                                           FinCase{1.25f, 180.0}));

TEST_F(EditorPixels, PanelRedShowsBetweenTheKnobs) {
  setAllValues(*plugin, 0.5f);
  const Picture picture = pictureOf(*plugin);
  const Rgb litRed{static_cast<int>(255 * panelLighting() + 0.5), 0, 0};
  // Midway between neighbours in each row, at the knobs' height.
  for (int knob : {1, 3, 4, 5, 6}) {
    const KnobSpot a = kKnobSpots[knob], b = kKnobSpots[knob + 1];
    const WindowPoint middle = projectToWindow((a.x + b.x) / 2, a.y, -19.9);
    const Rgb colour = picture.at(static_cast<int>(middle.x), static_cast<int>(middle.y));
    EXPECT_TRUE(closeTo(colour, litRed, 2)) << "between knobs " << knob << " and " << knob + 1;
  }
}

}  // namespace
