// One run of the voice lanes as plain per-lane arrays: what the kernels of
// every vector path read and write. The kernels see nothing of Voice; the
// voice lanes fill a run from the voices and write the results back.
#pragma once

#include <cstdint>

#include "engine/mix_down.h"
#include "engine/parameters.h"
#include "engine/voice_count.h"

// The shortest period (voice or oscillator) and the longest phase a lane
// takes: a phase over a period then stays below 2^31 and converts to an
// integer exactly, and two distinct values of these sizes never lie within a
// subnormal distance of each other. Real periods are more than 0.08 samples.
constexpr float kShortestLanePeriod = 0.0625f;
constexpr float kLongestLanePhase = 67108864.0f;  // 2^26; a phase sticks near 2^25

// The voices as the lane kernels see them, voice k in lane k of every
// array; phase, state1, state2 and level are what a successful run leaves
// (voice_lanes.h fills the lanes from voices and writes them back).
struct LaneVoices {
  static constexpr int kLanes = kVoiceCount;

  float phase[kLanes];
  float period[kLanes];  // the voice's, which wraps the phase
  float cycle[kLanes];   // the selected oscillator's
  // The selected oscillator's shape: square {halfPeriod}, sawtooth {slope},
  // triangle {slope, quarterPeriod, threeQuarterPeriod}.
  float shape[3][kLanes];
  float state1[kLanes];
  float state2[kLanes];
  float cutoff[kLanes];
  float keep[kLanes];  // 1 - damping * cutoff
  float velocity[kLanes];
  float level[kLanes];      // the envelope's level before the run
  float increment[kLanes];  // and its step per tick
};

struct LaneRun : LaneVoices {
  using Wave = Waveform;

  Wave wave = Wave::Square;
  int32_t frames = 0;
  // The phase step of frame i: steps[i], or constantStep for every frame when
  // steps is null. floatStep: the constant step is a float, so that adding it
  // in single precision gives what adding it in double and rounding does.
  const double* steps = nullptr;
  double constantStep = 1.0;
  bool floatStep = false;

  // A free voice's filter states are left as they were: it is silent, and
  // its next note clears them.
  uint32_t sounding[kLanes];  // all bits set for a voice that is not free

  // The voices' outputs, outputs[frame][lane], and their mix (mix_down.h)
  // at the output stage's gains.
  float (*outputs)[kLanes] = nullptr;
  MixTarget mix{};
};

// The kernels: each answers false, with the outputs undefined and the run's
// phases and states untouched, when a sounding voice's filter ran away (to
// infinity or NaN).
bool runLanesSse2(LaneRun& run);
bool runLanesAvx2(LaneRun& run);
