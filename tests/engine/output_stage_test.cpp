#include "engine/output_stage.h"

#include <gtest/gtest.h>

// Pan and volume gains are single-precision products of the step constants;
// the documented decimal values are compared to within 4 float ulps.

TEST(OutputStage, StartsAtUnityGainOnBothSides) {
  OutputStage stage;
  EXPECT_EQ(stage.volume, 127);
  EXPECT_EQ(stage.pan, 64);
  EXPECT_EQ(stage.leftGain(), 1.0f);
  EXPECT_EQ(stage.rightGain(), 1.0f);
}

TEST(OutputStage, VolumeIsLinearInTheControllerValue) {
  OutputStage stage;
  stage.setVolume(64);
  EXPECT_NEAR(stage.leftGain(), 0.503937f, 1e-6f);
  EXPECT_NEAR(stage.rightGain(), 0.503937f, 1e-6f);
  stage.setVolume(0);
  EXPECT_EQ(stage.leftGain(), 0.0f);
  EXPECT_EQ(stage.rightGain(), 0.0f);
}

TEST(OutputStage, PanAttenuatesOnlyTheFarSide) {
  struct Row {
    int pan;
    float left, right;
  };
  const Row rows[] = {{0, 1.0f, 0.0f},         {31, 1.0f, 0.49206352f}, {62, 1.0f, 0.98412704f},
                      {63, 1.0f, 1.0f},        {64, 1.0f, 1.0f},        {65, 0.98412704f, 1.0f},
                      {96, 0.49206352f, 1.0f}, {127, 0.0f, 1.0f}};
  for (const Row& row : rows) {
    OutputStage stage;
    stage.setPan(row.pan);
    EXPECT_FLOAT_EQ(stage.leftGain(), row.left) << "pan " << row.pan;
    EXPECT_FLOAT_EQ(stage.rightGain(), row.right) << "pan " << row.pan;
  }
}

TEST(OutputStage, ExtremePansSilenceTheOtherSideCompletely) {
  OutputStage stage;
  stage.setPan(0);
  EXPECT_EQ(stage.rightGain(), 0.0f);
  stage.setPan(127);
  EXPECT_EQ(stage.leftGain(), 0.0f);
}

TEST(OutputStage, RepeatedValueLeavesTheCacheClean) {
  OutputStage stage;
  stage.setVolume(90);
  stage.setPan(20);
  stage.leftGain();
  stage.rightGain();
  stage.setVolume(90);
  stage.setPan(20);
  EXPECT_EQ(stage.leftDirty, 0);
  EXPECT_EQ(stage.rightDirty, 0);
}

TEST(OutputStage, GainsFollowTheLastChange) {
  OutputStage stage;
  EXPECT_EQ(stage.leftGain(), 1.0f);
  stage.setPan(0);
  stage.setVolume(0);
  EXPECT_EQ(stage.leftGain(), 0.0f);
  stage.setVolume(127);
  EXPECT_EQ(stage.leftGain(), 1.0f);
  EXPECT_EQ(stage.rightGain(), 0.0f);
}

TEST(OutputStage, PanOutsideTheMidiRangeIsIgnored) {
  OutputStage stage;
  stage.setPan(30);
  const float left = stage.leftGain();
  const float right = stage.rightGain();
  for (int value : {128, -1, 1000, -1000}) {
    stage.setPan(value);
    EXPECT_EQ(stage.pan, 30);
    EXPECT_EQ(stage.leftDirty, 0);
    EXPECT_EQ(stage.rightDirty, 0);
    EXPECT_EQ(stage.leftGain(), left);
    EXPECT_EQ(stage.rightGain(), right);
  }
}
