// Master volume (controller 7) and pan (controller 10) turned into one gain
// for each output. Neither belongs to a program: they change only by
// controller.
//
// Volume is linear, 0 silent to 127 unity. The pan law attenuates one side
// only: the side the sound is panned towards stays at full level, the other
// falls in a straight line to 0 at the extreme; 63 and 64 are both centre.
// The gains are cached and recomputed once after a change.
#pragma once

#include <cstdint>

class OutputStage {
 public:
  OutputStage();

  void setVolume(int value);  // any value is taken
  void setPan(int value);     // values outside 0..127 are ignored
  float leftGain();
  float rightGain();

  int32_t leftDirty = 1;
  int32_t rightDirty = 1;
  float volumeGain = 0.0f;
  float leftPan = 1.0f;
  float rightPan = 1.0f;
  int32_t volume = 0;
  int32_t pan = 0;
  float cachedLeft = 0.0f;
  float cachedRight = 0.0f;
};
