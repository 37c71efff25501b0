#include "engine/output_stage.h"

namespace {
constexpr float kOneOver127 = 0.007874016f;  // a MIDI value 0..127 as 0..1
constexpr float kOneOver63 = 0.015873017f;   // a pan step: 63 steps from centre to one side
}  // namespace

OutputStage::OutputStage() {
  setVolume(127);
  setPan(64);
}

void OutputStage::setVolume(int value) {
  if (value == volume) return;
  volume = value;
  leftDirty = 1;
  rightDirty = 1;
  volumeGain = static_cast<float>(value) * kOneOver127;
}

void OutputStage::setPan(int value) {
  if (value == pan || value < 0 || value > 127) return;
  if (value == 63 || value == 64) {
    leftPan = 1.0f;
    rightPan = 1.0f;
  } else if (value < 63) {
    leftPan = 1.0f;
    rightPan = static_cast<float>(value) * kOneOver63;
  } else {
    leftPan = static_cast<float>(127 - value) * kOneOver63;
    rightPan = 1.0f;
  }
  pan = value;
  leftDirty = 1;
  rightDirty = 1;
}

float OutputStage::leftGain() {
  if (leftDirty) {
    cachedLeft = leftPan * volumeGain;
    leftDirty = 0;
  }
  return cachedLeft;
}

float OutputStage::rightGain() {
  if (rightDirty) {
    cachedRight = rightPan * volumeGain;
    rightDirty = 0;
  }
  return cachedRight;
}
