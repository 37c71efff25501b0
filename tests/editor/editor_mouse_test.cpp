// Turning knobs with real pointer input (the XTest extension moves the X
// server's pointer and presses its button, as a user's mouse does).
#include <gtest/gtest.h>

#include <vector>

#include "editor_fixture.h"

namespace {

constexpr float kFullScale = 0.9984f;  // what a knob at its end sends: 240 degrees at 0.00416 each

class EditorMouse : public EditorFixture {
 protected:
  void SetUp() override {
    open(*plugin, host);
    setAllValues(*plugin, 0.5f);  // every knob straight up, at 0 degrees
  }
  void TearDown() override { plugin->glEditor->close(); }

  double angle(int parameter) { return plugin->glEditor->knobAngle(parameter); }

  std::unique_ptr<SynthPlugin> plugin = makePlugin();
};

TEST_F(EditorMouse, PressJustInsideTheHitSquareTakesTheKnob) {
  pressAt(*plugin, 86, 85);  // knob 0's square reaches from 48 to 86
  moveTo(*plugin, 76, 85);
  EXPECT_EQ(angle(0), 10.0);
  release(*plugin);
}

TEST_F(EditorMouse, PressOnTheHitSquaresEdgeTakesNothing) {
  pressAt(*plugin, 87, 85);  // 87 - 67 = 20 is not less than 20
  moveTo(*plugin, 77, 85);
  for (int parameter = 0; parameter < 8; ++parameter) EXPECT_EQ(angle(parameter), 0.0) << parameter;
  release(*plugin);
}

// Renders one note through the instrument as it stands.
std::vector<float> playNote(SynthPlugin& instrument) {
  VstMidiEvent noteOn{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0x90), 60, 100, 0}, 0, 0, 0, 0};
  VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&noteOn), nullptr}};
  instrument.processEvents(&events);
  std::vector<float> left(20000), right(20000);
  float* outputs[] = {left.data(), right.data()};
  instrument.processReplacing(nullptr, outputs, 20000);
  return left;
}

TEST_F(EditorMouse, DraggingDecaySixtyPixelsLeftSetsItOnRelease) {
  std::unique_ptr<SynthPlugin> before = makePlugin();
  setAllValues(*before, 0.5f);
  before->setSampleRate(44100.0f);
  plugin->setSampleRate(44100.0f);
  setAllValues(*plugin, 0.5f);  // the envelope lengths follow the rate only when applied

  pressAt(*plugin, 149, 135);  // knob 5, decay time, at 0 degrees
  moveTo(*plugin, 89, 135);
  EXPECT_EQ(angle(decayTime), 60.0);
  EXPECT_EQ(plugin->getParameter(decayTime), 0.5f) << "nothing reaches the program while the button is held";
  release(*plugin);

  // (120 - 60) x 0.00416; float comparison within 4 units in the last place.
  EXPECT_FLOAT_EQ(plugin->getParameter(decayTime), 0.2496f);
  EXPECT_FLOAT_EQ(plugin->getParameter(waveform), 0.4992f);

  // The sound is the one a program holding the same values gives, and it
  // differs from the sound before the drag.
  std::unique_ptr<SynthPlugin> reference = makePlugin();
  reference->setSampleRate(44100.0f);
  for (int parameter = 0; parameter < 8; ++parameter) {
    reference->setParameter(parameter, plugin->getParameter(parameter));
  }
  reference->setProgram(0);
  const std::vector<float> edited = playNote(*plugin);
  EXPECT_EQ(edited, playNote(*reference));
  EXPECT_NE(edited, playNote(*before));
}

TEST_F(EditorMouse, DraggingFarStopsAtTheEnds) {
  pressAt(*plugin, 149, 135);
  moveTo(*plugin, 149 - 300, 135);  // outside the window: the grab keeps the moves coming
  EXPECT_EQ(angle(decayTime), 120.0);
  moveTo(*plugin, 149 + 300, 135);
  EXPECT_EQ(angle(decayTime), -120.0);
  release(*plugin);
  EXPECT_FLOAT_EQ(plugin->getParameter(decayTime), kFullScale);

  pressAt(*plugin, 32, 135);  // knob 3, attack time: left of the window, x is negative
  moveTo(*plugin, 32 - 300, 135);
  EXPECT_EQ(angle(attackTime), 120.0);
  release(*plugin);
  EXPECT_EQ(plugin->getParameter(attackTime), 0.0f);
}

TEST_F(EditorMouse, ClickBesideEveryKnobSendsAllValuesSlightlyReduced) {
  const float values[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.6f, 0.7f, 0.8f, 0.9f};
  for (int parameter = 0; parameter < 8; ++parameter) plugin->setParameter(parameter, values[parameter]);
  plugin->setProgram(0);
  pump(*plugin);

  pressAt(*plugin, 150, 20);
  release(*plugin);
  for (int parameter = 0; parameter < 8; ++parameter) {
    // 0.9984 times the value, within the rounding of a float near 1.
    EXPECT_NEAR(plugin->getParameter(parameter), kFullScale * values[parameter], 1e-6) << parameter;
  }
}

TEST_F(EditorMouse, VerticalMovementTurnsNothing) {
  pressAt(*plugin, 149, 135);
  moveTo(*plugin, 149, 35);
  moveTo(*plugin, 149, 199);
  for (int parameter = 0; parameter < 8; ++parameter) EXPECT_EQ(angle(parameter), 0.0) << parameter;
  release(*plugin);
  EXPECT_FLOAT_EQ(plugin->getParameter(decayTime), 0.4992f);
}

TEST_F(EditorMouse, AKnobAtAFractionalAngleSnapsToWholeDegrees) {
  plugin->setParameter(decayTime, 0.5f - 37.6f / 240.0f);
  plugin->setProgram(0);
  pump(*plugin);
  ASSERT_NEAR(angle(decayTime), 37.6, 1e-4);

  pressAt(*plugin, 149, 135);
  moveTo(*plugin, 148, 135);
  EXPECT_EQ(angle(decayTime), 38.0);
  release(*plugin);
}

}  // namespace
