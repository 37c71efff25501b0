// One run of the one-shot lanes as plain per-lane arrays: what the one-shot
// kernels of every vector path read and write. Each lane plays a sound of its
// own, one voice of its own patch, note and velocity, with its envelope in a
// stage it keeps for the whole run; its output goes through the output stage
// as the instrument's mix of that one voice would, into the lane's own rows.
//
// A run holds two groups of eight lanes, one vector of the widest path each.
// They are computed side by side: a lane's filter is a chain of dependent
// operations that one group alone would wait on, and the other group's fill
// the wait.
#pragma once

#include <cstdint>

#include "engine/lane_run.h"
#include "engine/parameters.h"
#include "engine/voice_count.h"

struct OneShotRun {
  static constexpr int kLanes = kVoiceCount;  // per group
  static constexpr int kGroups = 2;

  // Per lane, as the voice holds it (see LaneVoices). A lane whose state2
  // is left infinite or NaN ran away: its outputs are to be redone voice by
  // voice.
  struct Group : LaneVoices {
    // Where the lane's frames go, frame 0 of the run first; right only when
    // the run is stereo.
    float* left[kLanes];
    float* right[kLanes];
  };

  Waveform wave = Waveform::Square;
  int32_t frames = 0;
  float step = 1.0f;  // the phase step, a float (no bend, no vibrato)
  bool stereo = false;
  // Every lane's phase stays below two periods of its oscillator through
  // the run, so its position in the cycle needs no division.
  bool withinTwoCycles = false;
  float leftGain = 1.0f;
  float rightGain = 1.0f;
  Group group[kGroups];
};

void runOneShotLanesSse2(OneShotRun& run);
void runOneShotLanesAvx2(OneShotRun& run);
