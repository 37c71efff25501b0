// The eight voices ticked together, one SSE2 lane each, through a run of
// samples in which no envelope changes stage. It computes exactly what eight
// calls of Voice::tick per sample would: the same IEEE operations in the same
// order, lane by lane, with the per-sample tests that the run's conditions
// make unnecessary left out.
//
// The conditions (checked by canRun, and by the caller for the envelopes):
// - every voice plays the same kind of its own oscillators (setWaveform sets
//   all eight at once);
// - the vibrato and pitch inputs are the same in every voice: the counter,
//   depth, pitch factor and sample rate are written to all eight together,
//   and all eight are ticked together;
// - the periods are long enough, and the phases short enough, that a phase
//   over a period is always below 2^31, and that comparing two of them tells
//   the same as comparing their difference with 0 (no difference between
//   them can be flushed to zero);
// - no envelope changes stage during the run (Envelope::steadyTicks).
// Anything else is left to Voice::tick.
#pragma once

#include <cstdint>

#include "engine/voice.h"
#include "engine/voice_count.h"

class VoiceLanes {
 public:
  static constexpr int kLanes = kVoiceCount;

  static bool canRun(const Voice* voices);

  // Ticks the eight voices `frames` times and writes their outputs,
  // outputs[frame][voice]. The phase step of frame i is steps[i], or the
  // voices' pitch factor for every frame when steps is null (no vibrato).
  // Answers false, leaving the voices as they were, when a filter ran away
  // (to infinity or NaN) during the run: Voice::tick must take it.
  static bool run(Voice* voices, const double* steps, int32_t frames, float (*outputs)[kLanes]);
};
