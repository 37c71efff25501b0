// The voices' outputs summed into the mono mix and sent to both outputs: per
// frame, a single-precision sum that starts at 0 and adds voices 0 to 7 in
// order, clamped to the 16-bit range (NaN, which only absurd envelope levels
// produce, becomes 0), times the left and right gains.
#pragma once

#include <cstdint>

#include "engine/voice_count.h"

// Where a mix goes: the two output arrays and their gains.
struct MixTarget {
  float* left;
  float* right;
  float leftGain;
  float rightGain;
};

void mixDown(const float (*voiceOutputs)[kVoiceCount], int32_t frames, float leftGain, float rightGain,
             float* left, float* right);
